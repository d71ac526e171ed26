-- Makes a manual page from the manual: a Div of class "include" in a page's
-- frame is replaced by the body of one section of a docs/*.md file, so the
-- page and the manual are one text. The build fails when a section is gone.
--
--   ::: {.include file="checker.md" section="Options" level="1"}
--   :::
--
-- file is relative to the frame; section is the heading's text; the
-- section's own subsections become headings of level (default 2).

local frame_folder = pandoc.path.directory(PANDOC_STATE.input_files[1])

local function read_document(file)
  local path = pandoc.path.join({frame_folder, file})
  local handle = io.open(path, "r")
  if not handle then error("cannot read " .. path) end
  local text = handle:read("a")
  handle:close()
  return pandoc.read(text, "gfm")
end

-- The blocks under the one heading whose text is title, up to the next
-- heading of its level or above.
local function section_body(blocks, title, file)
  local found, level, section_level, body = 0, nil, nil, {}
  for _, block in ipairs(blocks) do
    if level and block.t == "Header" and block.level <= level then
      level = nil
    end
    if level then
      table.insert(body, block)
    elseif block.t == "Header" and pandoc.utils.stringify(block) == title then
      found = found + 1
      level = block.level
      section_level = block.level
    end
  end
  if found ~= 1 then
    error(file .. ": " .. found .. " sections titled '" .. title .. "'")
  end
  return body, section_level
end

-- "`term`: text" in every item: a list of terms, as a manual page lists
-- options and keys. The term is what comes before the first ":".
local function as_terms(list)
  local items = {}
  for _, item in ipairs(list.content) do
    local first = item[1]
    if not first or (first.t ~= "Plain" and first.t ~= "Para") or
       not first.content[1] or first.content[1].t ~= "Code" then
      return nil
    end
    local term, rest, split = {}, {}, false
    for _, inline in ipairs(first.content) do
      if split then
        table.insert(rest, inline)
      elseif inline.t == "Str" and inline.text:sub(-1) == ":" then
        if #inline.text > 1 then
          table.insert(term, pandoc.Str(inline.text:sub(1, -2)))
        end
        split = true
      else
        table.insert(term, inline)
      end
    end
    if not split then return nil end
    while rest[1] and rest[1].t == "Space" do table.remove(rest, 1) end
    local definition = {pandoc.Para(rest)}
    for i = 2, #item do table.insert(definition, item[i]) end
    table.insert(items, {term, {definition}})
  end
  return pandoc.DefinitionList(items)
end

local for_manual_page = {
  -- Links into the manual mean nothing in a manual page: their text stays.
  Link = function(link)
    if not link.target:match("^%a+://") then return link.content end
  end,
  Image = function() return {} end,
  BulletList = as_terms,
}

local function include(div)
  if not div.classes:includes("include") then return nil end
  local file, title = div.attributes.file, div.attributes.section
  local level = tonumber(div.attributes.level or "2")
  local body, section_level = section_body(read_document(file).blocks, title, file)
  local shift = level - (section_level + 1)
  local blocks = pandoc.walk_block(pandoc.Div(body), for_manual_page).content
  return pandoc.walk_block(pandoc.Div(blocks), {
    Header = function(header)
      header.level = header.level + shift
      return header
    end,
  }).content
end

-- Section headings of a manual page are in capitals.
local function capitals(header)
  if header.level ~= 1 then return nil end
  return pandoc.walk_block(header, {
    Str = function(s) return pandoc.Str(s.text:upper()) end,
  })
end

return {{Div = include}, {Header = capitals}}
