#include "check/report/html/html_style.h"

namespace pomvarin::check {

// Matched and not matched cells differ by their symbol and weight, not by
// colour alone, so that the matrix reads in grey and on paper too. The
// warning kinds are filtered with radio buttons and :has(), so the page
// needs no script (its policy allows none).
const char kPageStyle[] = R"css(
body { font: 14px/1.45 system-ui, "DejaVu Sans", Arial, sans-serif; color: #111;
  background: #fff; margin: 1.5em auto; max-width: 80em; padding: 0 1em; }
h1 { font-size: 1.45em; margin: 0 0 .3em; }
h2 { font-size: 1.2em; border-bottom: 2px solid #888; margin-top: 1.8em; }
h3 { font-size: 1.05em; margin: 1.4em 0 .3em; }
h4 { font-size: 1em; margin: .8em 0 .2em; }
table { border-collapse: collapse; margin: .4em 0; }
th, td { border: 1px solid #aaa; padding: .2em .5em; text-align: left;
  vertical-align: top; }
thead th { background: #e8e8e8; }
small, .quiet { color: #555; }
.path, .names, .id { font-family: "DejaVu Sans Mono", monospace; font-size: .92em;
  overflow-wrap: anywhere; }
dl.summary { display: grid; grid-template-columns: max-content auto;
  gap: .15em 1.2em; }
dl.summary dt { font-weight: bold; }
dl.summary dd { margin: 0; }
.wide { overflow-x: auto; }
.matrix td { text-align: center; white-space: nowrap; }
.matrix th[scope=row] { text-align: right; position: sticky; left: 0;
  background: #fff; }
.matched { background: #cfe9c8; font-weight: bold; }
.missed { background: #fff; color: #555; }
.box { background: #f3c9c2; font-weight: bold; }
.flag { display: block; font-size: .82em; font-weight: normal; color: #6b3500; }
.legend { margin: .2em 0; }
.filter label { margin-right: 1em; white-space: nowrap; }
body:has(#kind-venIdMatchesNoPackage:checked) .kinds tbody tr:not(.venIdMatchesNoPackage),
body:has(#kind-falseStart:checked) .kinds tbody tr:not(.falseStart),
body:has(#kind-missedDriver:checked) .kinds tbody tr:not(.missedDriver),
body:has(#kind-brokenInf:checked) .kinds tbody tr:not(.brokenInf) { display: none; }
@media print {
  body { font-size: 9.5pt; max-width: none; margin: 0; }
  .filter { display: none; }
  .wide { overflow: visible; }
  .kinds tbody tr { display: table-row !important; }
  a { color: inherit; text-decoration: none; }
  thead { display: table-header-group; }
  tr { break-inside: avoid; }
  h2, h3, h4 { break-after: avoid-page; }
  .matched, .box, thead th { print-color-adjust: exact; -webkit-print-color-adjust: exact; }
}
)css";

}  // namespace pomvarin::check
