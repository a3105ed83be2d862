# Cross-builds the VardelonLink DLL for Windows x86 and x64 and checks what a
# JVM on Windows needs of each: the 21 native methods of the peer class under
# the names it looks up, and no DLL of the compiler's runtime to ship beside.
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

include(${CMAKE_CURRENT_LIST_DIR}/RunChecked.cmake)

function(check_dll arch triple decorated)
  set(build ${BINARY_DIR}/windows-${arch})
  message(STATUS "windows-${arch}: cross-building VardelonLink.dll in ${build}")
  run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${build} -DCMAKE_BUILD_TYPE=Release
      -DCMAKE_TOOLCHAIN_FILE=${SOURCE_DIR}/cmake/toolchain-mingw-${triple}.cmake)
  run(${CMAKE_COMMAND} --build ${build} --target VardelonLink -j2)
  set(dll ${build}/bin/VardelonLink.dll)
  if(NOT EXISTS ${dll})
    message(FATAL_ERROR "windows-${arch}: ${dll} was not built")
  endif()

  string(REGEX REPLACE "-w64-mingw32$" "" cpu "${triple}")
  run(${cpu}-w64-mingw32-objdump -p ${dll})
  # Square brackets would bind list elements together in CMake: use parentheses.
  string(REPLACE "[" "(" output "${output}")
  string(REPLACE "]" ")" output "${output}")
  string(REGEX MATCH "\\(Ordinal/Name Pointer\\) Table\n([^\n]+\n)*" table "${output}")
  string(REGEX MATCHALL "\\( *[0-9]+\\) [^\n]+" exported "${table}")
  list(TRANSFORM exported REPLACE "^\\( *[0-9]+\\) " "")
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${output}")
  list(TRANSFORM imports REPLACE "^DLL Name: " "")

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

  set(missing ${expected})
  list(REMOVE_ITEM missing ${exported})
  set(unexpected ${exported})
  list(REMOVE_ITEM unexpected ${expected})
  set(runtime ${imports})
  list(FILTER runtime INCLUDE REGEX "^lib(gcc|stdc\\+\\+|winpthread)")
  if(missing OR unexpected OR runtime)
    list(JOIN missing "\n  " missing)
    list(JOIN unexpected "\n  " unexpected)
    message(FATAL_ERROR "windows-${arch}: ${dll}\n"
      "missing exports:\n  ${missing}\nunexpected exports:\n  ${unexpected}\n"
      "compiler runtime DLLs imported: ${runtime}")
  endif()
  list(LENGTH exported count)
  list(GET expected 0 example)
  list(JOIN imports ", " imports)
  message(STATUS "windows-${arch}: ${count} exports as expected (${example} ...); "
                 "imports ${imports}")
endfunction()

check_dll(x86 i686 TRUE)
check_dll(x64 x86_64 FALSE)
