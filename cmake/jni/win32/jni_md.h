/*
 * The machine-dependent part of jni.h for Windows, paired with the JDK's own
 * jni.h when the library is cross-built with MinGW-w64 on a host whose JDK
 * carries only its own platform's jni_md.h. Windows is LLP64: long is 32 bits
 * on x86 and x64 alike. __stdcall decorates names on x86 and is ignored on x64.
 */
#ifndef _JAVASOFT_JNI_MD_H_
#define _JAVASOFT_JNI_MD_H_

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef __int64 jlong;
typedef signed char jbyte;

#endif /* _JAVASOFT_JNI_MD_H_ */
