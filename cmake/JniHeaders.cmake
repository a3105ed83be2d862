# jni_platform: the JNI include directories for the target platform.
# Native builds use the JDK's own; Windows cross builds pair the JDK's jni.h
# with the Windows jni_md.h kept in cmake/jni/win32.

# The JDK that javac belongs to, so that headers, JVM and compiler agree even
# when several JDKs are installed.
get_filename_component(_jdk_bin "${Java_JAVAC_EXECUTABLE}" REALPATH)
get_filename_component(_jdk_home "${_jdk_bin}" DIRECTORY)
get_filename_component(_jdk_home "${_jdk_home}" DIRECTORY)

add_library(jni_platform INTERFACE)
if(CMAKE_CROSSCOMPILING AND WIN32)
  target_include_directories(jni_platform SYSTEM INTERFACE
    ${CMAKE_SOURCE_DIR}/cmake/jni/win32 ${_jdk_home}/include)
else()
  if(NOT DEFINED JAVA_HOME AND NOT DEFINED ENV{JAVA_HOME})
    set(JAVA_HOME "${_jdk_home}")
  endif()
  # JVM only: a headless JDK has no AWT, which FindJNI would otherwise require.
  find_package(JNI REQUIRED COMPONENTS JVM)
  target_include_directories(jni_platform SYSTEM INTERFACE ${JNI_INCLUDE_DIRS})
endif()
