#pragma once

// The entry points the plug-in module exports. A host that loads the module
// by file finds them by these names.

#include "platform/com/Com.h"

#define INTONARA_EXPORT extern "C" __attribute__((visibility("default")))

INTONARA_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
INTONARA_EXPORT HRESULT DllCanUnloadNow();
INTONARA_EXPORT HRESULT DllRegisterServer();
INTONARA_EXPORT HRESULT DllUnregisterServer();

// The module keeps its own error log state, so the host that loaded it
// switches the trace entries on through this entry point rather than its
// own copy of the log. Returns the log's registered message.
INTONARA_EXPORT UINT IntonaraInitErrorLog();

// Server locks taken through IClassFactory::LockServer.
LONG ServerLockCount();

// The start-up of the module: records the module for the error log's
// string lookups. Hosts that link the plug-in in instead of loading it call
// it with their own handle (null for the program) and link the module's
// resources into themselves (intonara_resources in CMake).
void IntonaraModuleStartup(HMODULE hModule);
void IntonaraModuleShutdown(HMODULE hModule);
