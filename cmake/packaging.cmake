# What is installed and shipped. The Windows build makes the disc kit, a zip
# with the 32-bit programs, a Pomvarin.ini template, an autorun.inf and the
# disc author's guide; the Linux build makes the Debian package. In a build
# folder: build the target pomvarin_shipped, then run cpack;
# scripts/package.sh does both for both builds.

# Installing needs the shipped programs only, not the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(POMVARIN_PACKAGE_FILES ${PROJECT_BINARY_DIR}/package-files)
file(MAKE_DIRECTORY ${POMVARIN_PACKAGE_FILES})

# The texts are made here, at configure time, from sources that
# configure_file reads, so that a change to any of them configures again.

# A manual page, made by pandoc from its frame in docs/man/ and the sections
# of the manual (docs/*.md) the frame names, with the version filled in: the
# page and the manual are one text. A change to any of them configures
# again.
function(pomvarin_manual_page name)
  find_program(POMVARIN_PANDOC pandoc REQUIRED)
  set(frame ${PROJECT_SOURCE_DIR}/docs/man/${name}.md)
  set(filter ${PROJECT_SOURCE_DIR}/docs/man/sections.lua)
  execute_process(
    COMMAND ${POMVARIN_PANDOC} --standalone --from markdown --to man
            --lua-filter ${filter}
            --metadata "footer=Pomvarin ${PROJECT_VERSION}"
            --output ${POMVARIN_PACKAGE_FILES}/${name} ${frame}
    COMMAND_ERROR_IS_FATAL ANY)
  file(GLOB manual ${PROJECT_SOURCE_DIR}/docs/*.md)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               ${frame} ${filter} ${manual})
endfunction()

# name.gz beside name, with gzip -9n: no file name, no time, the same bytes
# in every build.
function(pomvarin_gzip name)
  find_program(POMVARIN_GZIP gzip REQUIRED)
  execute_process(
    COMMAND ${POMVARIN_GZIP} -9n -c ${POMVARIN_PACKAGE_FILES}/${name}
    OUTPUT_FILE ${POMVARIN_PACKAGE_FILES}/${name}.gz
    COMMAND_ERROR_IS_FATAL ANY)
endfunction()

set(CPACK_PACKAGE_NAME Pomvarin)
set(CPACK_PACKAGE_VENDOR "The Pomvarin developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "one-shot device-driver setup launcher for driver discs")
# Directories the packages make are 0755 whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)

if(WIN32)
  add_custom_target(pomvarin_shipped DEPENDS Pomvarin PomvarinCheck)

  # Windows text files: CR LF line ends.
  foreach(name Pomvarin.ini autorun.inf)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/kit/${name}
                   ${POMVARIN_PACKAGE_FILES}/${name} @ONLY NEWLINE_STYLE CRLF)
  endforeach()
  # The guide is the Pomvarin.ini manual page as plain text, for Notepad.
  pomvarin_manual_page(Pomvarin.ini.5)
  find_program(POMVARIN_GROFF groff REQUIRED)
  execute_process(
    COMMAND ${POMVARIN_GROFF} -man -Tascii -P-cbou
            ${POMVARIN_PACKAGE_FILES}/Pomvarin.ini.5
    OUTPUT_FILE ${POMVARIN_PACKAGE_FILES}/guide.txt
    COMMAND_ERROR_IS_FATAL ANY)
  configure_file(${POMVARIN_PACKAGE_FILES}/guide.txt
                 ${POMVARIN_PACKAGE_FILES}/Disc-authors-guide.txt
                 @ONLY NEWLINE_STYLE CRLF)

  install(TARGETS Pomvarin PomvarinCheck RUNTIME DESTINATION .)
  install(FILES ${POMVARIN_PACKAGE_FILES}/Pomvarin.ini
                ${POMVARIN_PACKAGE_FILES}/autorun.inf
                ${POMVARIN_PACKAGE_FILES}/Disc-authors-guide.txt
          DESTINATION .)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME Pomvarin-${PROJECT_VERSION}-disc-kit)
  # Signs the staged programs when scripts/package.sh has a certificate.
  set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/sign-kit.cmake)
else()
  add_custom_target(pomvarin_shipped DEPENDS pomvarin pomvarin-check)

  foreach(page pomvarin.1 pomvarin-check.1 Pomvarin.ini.5)
    pomvarin_manual_page(${page})
    pomvarin_gzip(${page})
  endforeach()
  configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in
                 ${POMVARIN_PACKAGE_FILES}/changelog @ONLY)
  pomvarin_gzip(changelog)

  install(TARGETS pomvarin pomvarin-check RUNTIME DESTINATION bin)
  install(FILES ${POMVARIN_PACKAGE_FILES}/pomvarin.1.gz
                ${POMVARIN_PACKAGE_FILES}/pomvarin-check.1.gz
          DESTINATION share/man/man1)
  install(FILES ${POMVARIN_PACKAGE_FILES}/Pomvarin.ini.5.gz
          DESTINATION share/man/man5)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
                ${POMVARIN_PACKAGE_FILES}/changelog.gz
          DESTINATION share/doc/pomvarin)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_STRIP_FILES TRUE)
  set(CPACK_DEBIAN_PACKAGE_NAME pomvarin)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER
      "The Pomvarin developers <pomvarin@example.org>")
  # The dependencies are read from the built programs.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Started in a driver folder, pomvarin reads Pomvarin.ini, looks at the
PCI devices present and starts the setup program of every configured
vendor whose ID occurs in a present device's first hardware ID: the same
folder and Pomvarin.ini that drive the Windows program on a driver disc.
pomvarin-check shows what the launcher would do with a folder and warns of
mistakes in its Pomvarin.ini; pomvarin-check --trace runs the launcher and
shows its trace.")
endif()

include(CPack)
