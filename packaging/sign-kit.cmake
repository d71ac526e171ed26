# Run by CPack once the disc kit's files are staged, before they are
# zipped: signs Pomvarin.exe and PomvarinCheck.exe with Authenticode when
# scripts/package.sh was given a certificate, and leaves them alone
# otherwise, so that the unsigned kit stays the same bytes in every build.
# package.sh hands over POMVARIN_SIGN_PKCS12 (the certificate and key),
# POMVARIN_SIGN_PASSWORD_FILE (their password) and, optionally,
# POMVARIN_SIGN_TIMESTAMP (an RFC 3161 time-stamp server).
if("$ENV{POMVARIN_SIGN_PKCS12}" STREQUAL "")
  return()
endif()
find_program(OSSLSIGNCODE osslsigncode REQUIRED)

set(timestamp)
if(NOT "$ENV{POMVARIN_SIGN_TIMESTAMP}" STREQUAL "")
  set(timestamp -ts "$ENV{POMVARIN_SIGN_TIMESTAMP}")
endif()
foreach(name Pomvarin.exe PomvarinCheck.exe)
  file(GLOB_RECURSE program "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/${name}")
  list(LENGTH program found)
  if(NOT found EQUAL 1)
    message(FATAL_ERROR "signing: ${found} files named ${name} in the kit, expected 1")
  endif()
  execute_process(
    COMMAND ${OSSLSIGNCODE} sign -pkcs12 "$ENV{POMVARIN_SIGN_PKCS12}"
            -readpass "$ENV{POMVARIN_SIGN_PASSWORD_FILE}" -h sha256
            -n Pomvarin ${timestamp} -in "${program}" -out "${program}.signed"
    OUTPUT_QUIET
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "signing ${name} failed (osslsigncode exit ${status})")
  endif()
  file(RENAME "${program}.signed" "${program}")
endforeach()
