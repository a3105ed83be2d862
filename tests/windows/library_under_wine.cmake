# windows_library_under_wine: the x64 VardelonLink DLL against Windows' own
# ole32 and oleaut32. A Windows host program loads the DLL as a JVM would and
# drives all 21 exports through a fake JNI environment under Wine: first in a
# fresh prefix where nothing is registered as "Vardelon.Application", then
# with a minimal in-process server registered there, then with the Windows
# build of the simulator registered instead. The DLLs are cross-built when the
# test runs, as windows_exports does; the host and the test server are built
# here. Included by CMakeLists.txt when the x64 cross compiler and
# wine64 are found.
include(JniSlotNames)

set(wine_dir ${CMAKE_CURRENT_BINARY_DIR}/library_under_wine)
set(wine_host ${wine_dir}/library_host.exe)
set(wine_server ${wine_dir}/vardelon_wine_server.dll)
set(wine_server_registration ${wine_dir}/vardelon_wine_server.reg)
set(VARDELON_WINE_SERVER_CLSID "{0747C219-068A-486F-B197-F15BFC5410FA}")

vardelon_jni_slot_names(${JAVA_INCLUDE_PATH}/jni.h ${wine_dir}/jni_slot_names.inc)

set(host_sources
  captured_stderr.cpp connected_checks.cpp described.cpp fake_jni_env.cpp host_report.cpp
  library_host.cpp not_connected_table.cpp simulator_checks.cpp vardelon_link_module.cpp)
set(host_headers
  apartment_probe.h captured_stderr.h connected_checks.h described.h fake_jni_env.h
  host_report.h not_connected_table.h simulator_checks.h vardelon_link_module.h
  wine_server_contract.h)
list(TRANSFORM host_sources PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
list(TRANSFORM host_headers PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)

# The host includes the JNI header generated from the peer class, paired with
# the Windows jni_md.h as the cross build of the DLL does.
add_custom_command(
  OUTPUT ${wine_host}
  COMMAND ${MINGW_X64_CXX} -std=c++20 -static -municode -O1 -Wall -Wextra -Werror
          -isystem ${CMAKE_SOURCE_DIR}/cmake/jni/win32 -isystem ${JAVA_INCLUDE_PATH}
          -I${CMAKE_BINARY_DIR}/jni -I${wine_dir} ${host_sources} -o ${wine_host}
          -loleaut32 -lole32 -luuid
  DEPENDS ${host_sources} ${host_headers} ${wine_dir}/jni_slot_names.inc
          ${CMAKE_SOURCE_DIR}/java/com/mintova/vardelon/VardelonLink.java
  COMMENT "Building ${wine_host} with ${MINGW_X64_CXX}"
  VERBATIM)

add_custom_command(
  OUTPUT ${wine_server}
  COMMAND ${MINGW_X64_CXX} -std=c++20 -shared -static -O1 -Wall -Wextra -Werror
          -DVARDELON_WINE_SERVER_CLSID="${VARDELON_WINE_SERVER_CLSID}"
          ${CMAKE_CURRENT_SOURCE_DIR}/wine_server.cpp ${CMAKE_CURRENT_SOURCE_DIR}/wine_server.def
          -o ${wine_server} -loleaut32 -lole32 -luuid
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/wine_server.cpp ${CMAKE_CURRENT_SOURCE_DIR}/wine_server.def
          ${CMAKE_CURRENT_SOURCE_DIR}/wine_server_contract.h
  COMMENT "Building ${wine_server} with ${MINGW_X64_CXX}"
  VERBATIM)

add_custom_target(library_under_wine ALL DEPENDS ${wine_host} ${wine_server})
add_dependencies(library_under_wine vardelon_link_jar)

# The server as Wine sees it: a fresh prefix maps drive Z: to the root.
string(REPLACE "/" "\\\\" VARDELON_WINE_SERVER_PATH "Z:${wine_server}")
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/wine_server.reg.in ${wine_server_registration} @ONLY)

add_test(NAME windows_library_under_wine
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DWORK_DIR=${wine_dir}
    -DWINE=${WINE64} -DHOST=${wine_host} -DSERVER=${wine_server}
    -DREGISTRATION=${wine_server_registration}
    -P ${CMAKE_CURRENT_SOURCE_DIR}/run_library_under_wine.cmake)
set_tests_properties(windows_library_under_wine PROPERTIES
  RESOURCE_LOCK ${VARDELON_WINE_LOCK} TIMEOUT 1800)
