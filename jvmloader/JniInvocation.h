// The few pieces of the Java Native Interface that the loader uses, declared from the
// published layout of the Invocation API and of the JNIEnv function table. Only the
// slots the loader calls are named; the others are kept as padding so that every named
// slot sits at its documented index (checked below).
#pragma once

#include <cstddef>
#include <cstdint>

typedef int32_t jint;
typedef int32_t jsize;
typedef uint8_t jboolean;

struct JniObject;
typedef JniObject* jobject;
typedef jobject jclass;
typedef jobject jstring;
struct JniMethod;
typedef JniMethod* jmethodID;

const jint JNI_OK = 0;
const jint JNI_VERSION_1_2 = 0x00010002;

struct JavaVMOption {
    char* optionString;
    void* extraInfo;
};

struct JavaVMInitArgs {
    jint version;
    jint nOptions;
    JavaVMOption* options;
    jboolean ignoreUnrecognized;
};

struct JNINativeInterface;
typedef const JNINativeInterface* JNIEnv;  // a JNIEnv* points at a pointer to the table
struct JNIInvokeInterface;
typedef const JNIInvokeInterface* JavaVM;   // opaque here: the loader never calls it

// Every JNI function is __stdcall on 32-bit Windows, except the variadic ones: a
// variadic function cannot remove its own arguments, so the caller does (__cdecl).
typedef jint(__stdcall* CreateJavaVmFunction)(JavaVM** vm, void** env, void* initArgs);

struct JNINativeInterface {
    void* slots0to5[6];
    jclass(__stdcall* FindClass)(JNIEnv*, const char* name);                            // 6
    void* slots7to16[10];
    void(__stdcall* ExceptionClear)(JNIEnv*);                                            // 17
    void* slots18to22[5];
    void(__stdcall* DeleteLocalRef)(JNIEnv*, jobject);                                   // 23
    void* slots24to112[89];
    jmethodID(__stdcall* GetStaticMethodID)(JNIEnv*, jclass, const char* name,
                                            const char* signature);                     // 113
    jobject(__cdecl* CallStaticObjectMethod)(JNIEnv*, jclass, jmethodID, ...);          // 114
    void* slots115to163[49];
    jsize(__stdcall* GetStringLength)(JNIEnv*, jstring);                                 // 164
    void* slots165to166[2];
    jstring(__stdcall* NewStringUTF)(JNIEnv*, const char* modifiedUtf8);                 // 167
    jsize(__stdcall* GetStringUTFLength)(JNIEnv*, jstring);                              // 168
    void* slots169to220[52];
    void(__stdcall* GetStringUTFRegion)(JNIEnv*, jstring, jsize start, jsize length,
                                        char* buffer);                                  // 221
    void* slots222to227[6];
    jboolean(__stdcall* ExceptionCheck)(JNIEnv*);                                        // 228
};

#define JNI_SLOT_AT(member, index) \
    static_assert(offsetof(JNINativeInterface, member) == (index) * sizeof(void*), #member)
JNI_SLOT_AT(FindClass, 6);
JNI_SLOT_AT(ExceptionClear, 17);
JNI_SLOT_AT(DeleteLocalRef, 23);
JNI_SLOT_AT(GetStaticMethodID, 113);
JNI_SLOT_AT(CallStaticObjectMethod, 114);
JNI_SLOT_AT(GetStringLength, 164);
JNI_SLOT_AT(NewStringUTF, 167);
JNI_SLOT_AT(GetStringUTFLength, 168);
JNI_SLOT_AT(GetStringUTFRegion, 221);
JNI_SLOT_AT(ExceptionCheck, 228);
#undef JNI_SLOT_AT
