# The Windows installer's identity, in one place for the build and its tests.
#
# The upgrade code never changes: every later version finds the installed one by it and takes
# its place. The product code is fixed for each version, a name-based UUID (version 5) of the
# product's name and version under the upgrade code: 1.00 built anywhere, on any day, is the
# same product, and each new version is a new one, as a major upgrade needs. The package code
# names one package file: a name-based UUID of the version and the SHA-256 of the package.
#
#   cmake -DNAME="Conversor de unidades" -DVERSION=1.01 -P cmake/msi_codes.cmake
#       prints the product code of that version;
#   cmake -DVERSION=1.00 -DPAYLOAD=<sha-256> -P cmake/msi_codes.cmake
#       prints the package code of a package with that hash.
set(TARVEL_UPGRADE_CODE B1FE1E2A-AC0C-460A-8E00-D88698F9ADC9)

function(tarvel_product_code out name version)
  string(UUID code NAMESPACE ${TARVEL_UPGRADE_CODE} NAME "product ${name} ${version}"
         TYPE SHA1 UPPER)
  set(${out} ${code} PARENT_SCOPE)
endfunction()

function(tarvel_package_code out version payload)
  string(UUID code NAMESPACE ${TARVEL_UPGRADE_CODE} NAME "package ${version} ${payload}"
         TYPE SHA1 UPPER)
  set(${out} ${code} PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  if(DEFINED PAYLOAD)
    tarvel_package_code(code "${VERSION}" "${PAYLOAD}")
  else()
    tarvel_product_code(code "${NAME}" "${VERSION}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${code}")
endif()
