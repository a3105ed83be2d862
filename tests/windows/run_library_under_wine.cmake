# Cross-builds the x64 VardelonLink and simulator DLLs and runs the Windows
# host against the library under Wine, in a fresh prefix: once with nothing
# registered as "Vardelon.Application", once after the test server's
# registration file has been imported with regedit, and once after the
# simulator's has. Fails unless the host runs to its end with every
# check holding and nothing written to standard error outside the calls it
# captures.
#
#   cmake -DSOURCE_DIR=<repo> -DWORK_DIR=<folder> -DWINE=<wine64> -DHOST=<library_host.exe>
#         -DSERVER=<server DLL> -DREGISTRATION=<.reg file> -P run_library_under_wine.cmake
cmake_minimum_required(VERSION 3.25)

foreach(required SOURCE_DIR WORK_DIR WINE HOST SERVER REGISTRATION)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "${required} is not set")
  endif()
endforeach()

set(prefix ${WORK_DIR}/wine-prefix)
get_filename_component(wine_dir ${WINE} DIRECTORY)
# Wine takes its locale from the environment; the host expects US English.
set(wine_env ${CMAKE_COMMAND} -E env WINEPREFIX=${prefix} WINEDEBUG=-all LC_ALL=C.UTF-8)

include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/RunChecked.cmake)

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

# The DLLs as the windows-x64 preset builds them.
set(build ${WORK_DIR}/windows-x64)
message(STATUS "cross-building VardelonLink.dll and vardelon_simulator.dll in ${build}")
run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${build} -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_TOOLCHAIN_FILE=${SOURCE_DIR}/cmake/toolchain-mingw-x86_64.cmake)
run(${CMAKE_COMMAND} --build ${build} --target VardelonLink vardelon_simulator -j2)
set(dll ${build}/bin/VardelonLink.dll)

# The simulator's registration as the build wrote it, with its file as Wine
# sees it: a fresh prefix maps drive Z: to the root.
set(simulator ${build}/bin/vardelon_simulator.dll)
file(READ ${build}/vardelon-simulator.reg simulator_registration)
string(REPLACE "/" "\\\\" simulator_in_wine "Z:${simulator}")
string(REPLACE "@=\"${simulator}\"" "@=\"${simulator_in_wine}\""
       simulator_registration_in_wine "${simulator_registration}")
if(simulator_registration_in_wine STREQUAL simulator_registration)
  message(FATAL_ERROR "${build}/vardelon-simulator.reg does not name ${simulator}")
endif()
file(WRITE ${WORK_DIR}/vardelon-simulator.reg "${simulator_registration_in_wine}")

# A fresh prefix, once the Wine server of the last run has gone.
run(${wine_env} ${wine_dir}/wineserver -w)
file(REMOVE_RECURSE ${prefix})
run(${wine_env} ${WINE} wineboot -i)

run_host(nothing-registered ${dll})
run(${wine_env} ${WINE} regedit ${REGISTRATION})
run_host(server-registered ${dll} ${SERVER})
run(${wine_env} ${WINE} regedit ${WORK_DIR}/vardelon-simulator.reg)
run_host(simulator-registered ${dll} --simulator)
