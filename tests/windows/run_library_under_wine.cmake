# Cross-builds the VardelonLink and simulator DLLs and the simulator's
# program for one architecture and runs the Windows host against the library
# under Wine, in a fresh prefix: once with nothing registered as
# "Vardelon.Application", once after the test server's registration file has
# been imported with regedit, once after the simulator DLL's has, and once
# after the simulator's local server registration has replaced it. Fails
# unless the host runs to its end with every check holding and nothing
# written to standard error outside the calls it captures.
#
#   cmake -DSOURCE_DIR=<repo> -DWORK_DIR=<folder> -DTRIPLE=<x86_64 | i686> -DWINE=<wine loader>
#         -DHOST=<library_host.exe> -DSERVER=<server DLL> -DREGISTRATION=<.reg file>
#         -P run_library_under_wine.cmake
cmake_minimum_required(VERSION 3.25)

foreach(required SOURCE_DIR WORK_DIR TRIPLE WINE HOST SERVER REGISTRATION)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "${required} is not set")
  endif()
endforeach()

set(prefix ${WORK_DIR}/wine-prefix)
get_filename_component(wine_dir ${WINE} DIRECTORY)
# Wine takes its locale from the environment; the host expects US English.
set(wine_env ${CMAKE_COMMAND} -E env WINEPREFIX=${prefix} WINEDEBUG=-all LC_ALL=C.UTF-8)

include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/RunChecked.cmake)

# wine_settled(<command>...): runs a command of the prefix's set-up and waits
# until its Wine server has ended. A command started while the Wine server of
# the one before shuts down can meet a second services.exe there, and COM
# then registers a local server's class with one and looks for it at the
# other.
function(wine_settled)
  run(${wine_env} ${ARGN})
  run(${wine_env} ${wine_dir}/wineserver -w)
endfunction()

# run_host(<scenario> <host arguments>...): the host's lines go to
# <scenario>.txt; its standard error must stay empty.
function(run_host scenario)
  set(report ${WORK_DIR}/${scenario}.txt)
  set(errors ${WORK_DIR}/${scenario}.stderr.txt)
  execute_process(COMMAND ${wine_env} ${WINE} ${HOST} ${ARGN} RESULT_VARIABLE result
                  OUTPUT_FILE ${report} ERROR_FILE ${errors})
  file(STRINGS ${report} lines)
  list(TRANSFORM lines REPLACE "\r$" "")
  set(last "")
  if(lines)
    list(GET lines -1 last)
  endif()
  run(${wine_env} ${wine_dir}/wineserver -w)
  file(READ ${errors} written)
  set(failures ${lines})
  list(FILTER failures INCLUDE REGEX "^FAIL ")
  list(JOIN failures "\n" failures)
  if(NOT result EQUAL 0 OR NOT last MATCHES "^end \\| [1-9][0-9]* checks, 0 failed$"
     OR NOT written STREQUAL "")
    message(FATAL_ERROR "${scenario}: the host exited with ${result}\n${failures}\n"
                        "last line: ${last}\nstandard error: ${written}\nfull report in ${report}")
  endif()
  message(STATUS "${scenario}: ${last}")
endfunction()

# The DLLs and the program as the windows-x86 and windows-x64 presets build them.
set(build ${WORK_DIR}/windows)
message(STATUS "cross-building VardelonLink.dll and the simulator in ${build}")
run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${build} -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_TOOLCHAIN_FILE=${SOURCE_DIR}/cmake/toolchain-mingw-${TRIPLE}.cmake)
run(${CMAKE_COMMAND} --build ${build}
    --target VardelonLink vardelon_simulator vardelon_simulator_server -j2)
set(dll ${build}/bin/VardelonLink.dll)

# registration_in_wine(<name> <file>): the registration the build wrote as
# <name>, copied into the work folder with <file> as Wine sees it: a fresh
# prefix maps drive Z: to the root.
function(registration_in_wine name file)
  file(READ ${build}/${name} registration)
  string(REPLACE "/" "\\\\" file_in_wine "Z:${file}")
  string(REPLACE "@=\"${file}\"" "@=\"${file_in_wine}\"" registration_in_wine "${registration}")
  if(registration_in_wine STREQUAL registration)
    message(FATAL_ERROR "${build}/${name} does not name ${file}")
  endif()
  file(WRITE ${WORK_DIR}/${name} "${registration_in_wine}")
endfunction()
registration_in_wine(vardelon-simulator.reg ${build}/bin/vardelon_simulator.dll)
registration_in_wine(vardelon-simulator-server.reg ${build}/bin/vardelon_simulator.exe)

# A fresh prefix, once the Wine server of the last run has gone.
run(${wine_env} ${wine_dir}/wineserver -w)
file(REMOVE_RECURSE ${prefix})
wine_settled(${WINE} wineboot -i)

run_host(nothing-registered ${dll})
wine_settled(${WINE} regedit ${REGISTRATION})
run_host(server-registered ${dll} ${SERVER})
wine_settled(${WINE} regedit ${WORK_DIR}/vardelon-simulator.reg)
run_host(simulator-registered ${dll} --simulator)
# Last: Wine keeps the class of a killed local server registered in the prefix.
wine_settled(${WINE} regedit ${WORK_DIR}/vardelon-simulator-server.reg)
run_host(local-server-registered ${dll} --local-server)
