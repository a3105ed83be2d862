# The export names of the VardelonLink DLL on 32-bit Windows.
#
# JNI methods are __stdcall there, and a JVM looks each one up in the
# decorated form that Microsoft's tools export: "_Java_<class>_<method>@<n>",
# n being the bytes of its arguments. MinGW exports a dllexport'ed function
# without the leading underscore, so a module-definition file exports every
# method under the decorated name and keeps MinGW's own name by ordinal only
# (NONAME): the name table then holds the decorated names alone. 64-bit
# Windows has no decoration and needs nothing of this.

# vardelon_stdcall_names(<java source> <JNI class name> <out>): for each native
# method of the class, "Java_<class>_<method>@<n>".
function(vardelon_stdcall_names java_file jni_class out_var)
  file(READ ${java_file} source)
  string(REGEX MATCHALL "native[ \t\r\n]+[][A-Za-z0-9_.<>]+[ \t\r\n]+[A-Za-z0-9_$]+[ \t\r\n]*\\([^)]*\\)"
    natives "${source}")
  set(names)
  foreach(native IN LISTS natives)
    string(REGEX MATCH "([A-Za-z0-9_$]+)[ \t\r\n]*\\(([^)]*)\\)" _ "${native}")
    set(method ${CMAKE_MATCH_1})
    string(REPLACE "," ";" parameters "${CMAKE_MATCH_2}")
    # The JNIEnv pointer and the receiver, then each parameter: 8 bytes for a
    # long or a double, 4 for any other primitive and for every reference.
    set(bytes 8)
    foreach(parameter IN LISTS parameters)
      string(STRIP "${parameter}" parameter)
      if(parameter MATCHES "^(long|double)[ \t\r\n]")
        math(EXPR bytes "${bytes} + 8")
      elseif(NOT parameter STREQUAL "")
        math(EXPR bytes "${bytes} + 4")
      endif()
    endforeach()
    string(REPLACE "_" "_1" method "${method}")
    list(APPEND names "Java_${jni_class}_${method}@${bytes}")
  endforeach()
  set(${out_var} ${names} PARENT_SCOPE)
endfunction()

# vardelon_windows_exports(<target> <java source of the peer class>): on
# Windows, names the DLL as System.loadLibrary looks for it (VardelonLink.dll,
# without MinGW's "lib") and, on x86, exports the decorated names.
function(vardelon_windows_exports target java_file)
  if(NOT WIN32)
    return()
  endif()
  set_target_properties(${target} PROPERTIES PREFIX "")
  if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
    return()
  endif()
  vardelon_stdcall_names(${java_file} com_mintova_vardelon_VardelonLink names)
  set(def "EXPORTS\n")
  foreach(name IN LISTS names)
    string(APPEND def "  _${name} = ${name}\n")
  endforeach()
  foreach(name IN LISTS names)
    string(APPEND def "  ${name} NONAME\n")
  endforeach()
  set(def_file ${CMAKE_CURRENT_BINARY_DIR}/${target}.def)
  file(GENERATE OUTPUT ${def_file} CONTENT "${def}")
  target_sources(${target} PRIVATE ${def_file})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${java_file})
endfunction()
