# Cross-builds the VardelonLink DLL, the simulator's DLL and the simulator's
# program for Windows x86 and x64 and checks what Windows needs of each: the
# 21 native methods of the peer class under the names a JVM looks up, COM's
# entry points of the in-process simulator, and imports of system DLLs only,
# so that nothing of the compiler's runtime has to be shipped beside them.
#
#   cmake -DSOURCE_DIR=<repo> -DBINARY_DIR=<work folder> -P CheckWindowsExports.cmake
#
# x86 methods are __stdcall and exported in the decorated form
# _Java_com_mintova_vardelon_VardelonLink_<method>@<argument bytes>; x64
# methods are exported by their plain JNI names.
cmake_minimum_required(VERSION 3.25)

foreach(required SOURCE_DIR BINARY_DIR)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "${required} is not set")
  endif()
endforeach()

# Method and argument bytes on x86: 8 for the JNIEnv pointer and the receiver,
# 4 for each int or reference parameter.
set(methods
  connect:8 disconnect:8 isConnected:8 version:8 execute:12 open:12 reload:12 maximize:8
  minimize:8 restoreSize:8 show:8 quit:8 variableNames:12 variableValue:16 variableValues:16
  setVariableValue:20 setVariableValues:20 setVariableChangeNotification:16
  uvoVariableNames:8 uvoVariableValue:12 uvoVariableValues:12)

# What every module may import, exactly: the kernel, COM and OLE Automation,
# and the C runtime that every Windows has.
set(system_dlls kernel32.dll msvcrt.dll ole32.dll oleaut32.dll)

include(${CMAKE_CURRENT_LIST_DIR}/RunChecked.cmake)

# expect_same(<what> <actual list> <expected list>): fails naming what is
# missing and what is unexpected.
function(expect_same what actual expected)
  set(missing ${expected})
  set(unexpected ${actual})
  if(actual)
    list(REMOVE_ITEM missing ${actual})
  endif()
  if(expected)
    list(REMOVE_ITEM unexpected ${expected})
  endif()
  if(missing OR unexpected)
    list(JOIN missing "\n  " missing)
    list(JOIN unexpected "\n  " unexpected)
    message(FATAL_ERROR "${what}\nmissing:\n  ${missing}\nunexpected:\n  ${unexpected}")
  endif()
endfunction()

# check_module(<objdump> <file> <expected exports>...): the module's export
# names and imported DLLs (compared in lower case, as Windows does) are
# exactly the expected ones.
function(check_module objdump file)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "${file} was not built")
  endif()
  run(${objdump} -p ${file})
  # Square brackets would bind list elements together in CMake: use parentheses.
  string(REPLACE "[" "(" output "${output}")
  string(REPLACE "]" ")" output "${output}")
  string(REGEX MATCH "\\(Ordinal/Name Pointer\\) Table\n([^\n]+\n)*" table "${output}")
  string(REGEX MATCHALL "\\( *[0-9]+\\) [^\n]+" exported "${table}")
  list(TRANSFORM exported REPLACE "^\\( *[0-9]+\\) " "")
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${output}")
  list(TRANSFORM imports REPLACE "^DLL Name: " "")
  list(TRANSFORM imports TOLOWER)
  expect_same("${file}: exports" "${exported}" "${ARGN}")
  expect_same("${file}: imported DLLs" "${imports}" "${system_dlls}")
  list(LENGTH exported count)
  list(JOIN imports ", " imports)
  get_filename_component(name ${file} NAME)
  message(STATUS "${name}: ${count} exports as expected; imports ${imports}")
endfunction()

function(check_build arch triple decorated)
  set(build ${BINARY_DIR}/windows-${arch})
  message(STATUS "windows-${arch}: cross-building VardelonLink.dll and the simulator in ${build}")
  run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${build} -DCMAKE_BUILD_TYPE=Release
      -DCMAKE_TOOLCHAIN_FILE=${SOURCE_DIR}/cmake/toolchain-mingw-${triple}.cmake)
  run(${CMAKE_COMMAND} --build ${build}
      --target VardelonLink vardelon_simulator vardelon_simulator_server -j2)

  set(expected)
  foreach(entry IN LISTS methods)
    string(REPLACE ":" ";" entry "${entry}")
    list(GET entry 0 method)
    list(GET entry 1 bytes)
    if(decorated)
      list(APPEND expected "_Java_com_mintova_vardelon_VardelonLink_${method}@${bytes}")
    else()
      list(APPEND expected "Java_com_mintova_vardelon_VardelonLink_${method}")
    endif()
  endforeach()

  set(objdump ${triple}-w64-mingw32-objdump)
  check_module(${objdump} ${build}/bin/VardelonLink.dll ${expected})
  check_module(${objdump} ${build}/bin/vardelon_simulator.dll DllCanUnloadNow DllGetClassObject)
  check_module(${objdump} ${build}/bin/vardelon_simulator.exe)
endfunction()

check_build(x86 i686 TRUE)
check_build(x64 x86_64 FALSE)
