# vardelon_jni_slot_names(<jni.h> <output>): writes the names of the function
# slots of JNINativeInterface_, in table order and after its four reserved
# words, as a list of C string literals, one per line. A fake JNIEnv uses it to
# name a slot that code under test calls but the fake does not provide.
function(vardelon_jni_slot_names jni_header output)
  file(READ ${jni_header} header)
  string(REGEX MATCH "struct JNINativeInterface_ {[^}]*}" table "${header}")
  string(REGEX MATCHALL "\\(JNICALL \\*[A-Za-z0-9_]+\\)" slots "${table}")
  if(NOT slots)
    message(FATAL_ERROR "no JNINativeInterface_ function slots found in ${jni_header}")
  endif()
  set(names "")
  foreach(slot IN LISTS slots)
    string(REGEX REPLACE "^\\(JNICALL \\*([A-Za-z0-9_]+)\\)$" "\\1" name "${slot}")
    string(APPEND names "\"${name}\",\n")
  endforeach()
  file(CONFIGURE OUTPUT ${output} CONTENT "${names}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${jni_header})
endfunction()
