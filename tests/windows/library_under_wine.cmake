# windows_library_under_wine: the VardelonLink DLL against Windows' own ole32
# and oleaut32. A Windows host program loads the DLL as a JVM would and drives
# all 21 exports through a fake JNI environment under Wine: first in a fresh
# prefix where nothing is registered as "Vardelon.Application", then with a
# minimal in-process server registered there, then with the Windows build of
# the simulator registered instead, and last with the simulator as a local
# server, vardelon_simulator.exe in a process of its own. The DLLs and the
# simulator are cross-built when the test runs, as windows_exports does; the
# host and the test server are built here, once for each architecture that
# runs: x64 under wine64 always, x86 under wine32 where the kernel runs 32-bit
# programs. Included by CMakeLists.txt when the cross compilers and wine64 are
# found.
include(JniSlotNames)

set(VARDELON_WINE_SERVER_CLSID "{0747C219-068A-486F-B197-F15BFC5410FA}")
vardelon_jni_slot_names(${JAVA_INCLUDE_PATH}/jni.h ${CMAKE_CURRENT_BINARY_DIR}/jni_slot_names.inc)

set(host_sources
  captured_stderr.cpp connected_checks.cpp described.cpp fake_jni_env.cpp host_report.cpp
  library_host.cpp local_server_checks.cpp not_connected_table.cpp server_process.cpp
  simulator_checks.cpp vardelon_link_module.cpp)
set(host_headers
  apartment_probe.h captured_stderr.h connected_checks.h described.h fake_jni_env.h
  host_report.h local_server_checks.h not_connected_table.h server_process.h simulator_checks.h
  vardelon_link_module.h wine_server_contract.h)
list(TRANSFORM host_sources PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
list(TRANSFORM host_headers PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)

# windows_library_under_wine(<test> <arch> <compiler> <triple> <wine>): builds
# the host and the test server for one architecture and adds the test that
# runs them with <wine>.
function(windows_library_under_wine test arch compiler triple wine)
  set(wine_dir ${CMAKE_CURRENT_BINARY_DIR}/library_under_wine_${arch})
  set(host ${wine_dir}/library_host.exe)
  set(server ${wine_dir}/vardelon_wine_server.dll)
  set(registration ${wine_dir}/vardelon_wine_server.reg)

  # The host includes the JNI header generated from the peer class, paired
  # with the Windows jni_md.h as the cross build of the DLL does.
  add_custom_command(
    OUTPUT ${host}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${wine_dir}
    COMMAND ${compiler} -std=c++20 -static -municode -O1 -Wall -Wextra -Werror
            -isystem ${CMAKE_SOURCE_DIR}/cmake/jni/win32 -isystem ${JAVA_INCLUDE_PATH}
            -I${CMAKE_BINARY_DIR}/jni -I${CMAKE_CURRENT_BINARY_DIR} ${host_sources} -o ${host}
            -loleaut32 -lole32 -luuid
    DEPENDS ${host_sources} ${host_headers} ${CMAKE_CURRENT_BINARY_DIR}/jni_slot_names.inc
            ${CMAKE_SOURCE_DIR}/java/com/mintova/vardelon/VardelonLink.java
    COMMENT "Building ${host} with ${compiler}"
    VERBATIM)

  # --enable-stdcall-fixup binds the .def file's undecorated names to the
  # __stdcall functions on x86.
  add_custom_command(
    OUTPUT ${server}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${wine_dir}
    COMMAND ${compiler} -std=c++20 -shared -static -O1 -Wall -Wextra -Werror
            -DVARDELON_WINE_SERVER_CLSID="${VARDELON_WINE_SERVER_CLSID}"
            ${CMAKE_CURRENT_SOURCE_DIR}/wine_server.cpp ${CMAKE_CURRENT_SOURCE_DIR}/wine_server.def
            -o ${server} -Wl,--enable-stdcall-fixup -loleaut32 -lole32 -luuid
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/wine_server.cpp ${CMAKE_CURRENT_SOURCE_DIR}/wine_server.def
            ${CMAKE_CURRENT_SOURCE_DIR}/wine_server_contract.h
    COMMENT "Building ${server} with ${compiler}"
    VERBATIM)

  add_custom_target(library_under_wine_${arch} ALL DEPENDS ${host} ${server})
  add_dependencies(library_under_wine_${arch} vardelon_link_jar)

  # The server as Wine sees it: a fresh prefix maps drive Z: to the root.
  string(REPLACE "/" "\\\\" VARDELON_WINE_SERVER_PATH "Z:${server}")
  configure_file(${CMAKE_CURRENT_SOURCE_DIR}/wine_server.reg.in ${registration} @ONLY)

  add_test(NAME ${test}
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DWORK_DIR=${wine_dir}
      -DTRIPLE=${triple} -DWINE=${wine} -DHOST=${host} -DSERVER=${server}
      -DREGISTRATION=${registration}
      -P ${CMAKE_CURRENT_SOURCE_DIR}/run_library_under_wine.cmake)
  set_tests_properties(${test} PROPERTIES RESOURCE_LOCK ${VARDELON_WINE_LOCK} TIMEOUT 1800)
endfunction()

windows_library_under_wine(windows_library_under_wine x64 ${MINGW_X64_CXX} x86_64 ${WINE64})
if(MINGW_X86_CXX AND VARDELON_WINE32_RUNS)
  windows_library_under_wine(windows_library_under_wine_x86 x86 ${MINGW_X86_CXX} i686 ${WINE32})
endif()
