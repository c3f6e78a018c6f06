// Loading a plug-in module by file, registering it, and creating its
// objects by class identifier through the registry.

#include "platform/com/Module.h"
#include "platform/registry/Registry.h"

#include "PlatformTestSupport.h"
#include "module/TestModule.h"

#include <gtest/gtest.h>


TEST(Module, LoadingReportsMissingFilesAndMissingEntryPoints)
{
    CModule module;
    EXPECT_EQ(module.Load("/nonexistent/libnothing.so"), CO_E_DLLNOTFOUND);
    EXPECT_FALSE(module.LastError().empty());
    EXPECT_FALSE(module.IsLoaded());
    // The C library is a shared library, but serves no classes.
    EXPECT_EQ(module.Load("libc.so.6"), CO_E_ERRORINDLL);
    EXPECT_FALSE(module.IsLoaded());
}

TEST(Module, RegisteredModuleServesObjectsByClassIdentifier)
{
    CScratchRegistry registry;
    const std::string classKey = "CLSID\\" + GuidToString(CLSID_TestGadget);
    CComPtr<IPersist> pGadget;
    EXPECT_EQ(CoCreateInstance(CLSID_TestGadget, nullptr, CLSCTX_INPROC_SERVER, IID_IPersist, pGadget.ReceiveVoid()),
              REGDB_E_CLASSNOTREG);

    {
        CModule module;
        ASSERT_EQ(module.Load(kModulePath.c_str()), S_OK) << module.LastError();
        ASSERT_EQ(module.RegisterServer(), S_OK);
        // Asked for a class it does not serve, the module says so.
        CComPtr<IClassFactory> pFactory;
        EXPECT_EQ(module.GetClassObject(IID_IPersist, IID_IClassFactory, pFactory.ReceiveVoid()),
                  CLASS_E_CLASSNOTAVAILABLE);
        EXPECT_EQ(module.GetClassObject(CLSID_TestGadget, IID_IDispatch, pFactory.ReceiveVoid()), E_NOINTERFACE);
    }
    // The module wrote its own absolute path.
    std::string server;
    ASSERT_EQ(RegGetString(HKEY_CLASSES_ROOT, (classKey + "\\InprocServer32").c_str(), nullptr, &server),
              ERROR_SUCCESS);
    EXPECT_EQ(server, std::filesystem::canonical(kModulePath).string());
    std::string model;
    RegGetString(HKEY_CLASSES_ROOT, (classKey + "\\InprocServer32").c_str(), "ThreadingModel", &model);
    EXPECT_EQ(model, "Both");
    EXPECT_FALSE(IsLoaded(server));

    ASSERT_EQ(CoCreateInstance(CLSID_TestGadget, nullptr, CLSCTX_INPROC_SERVER, IID_IPersist, pGadget.ReceiveVoid()),
              S_OK);
    CLSID clsid{};
    pGadget->GetClassID(&clsid);
    EXPECT_EQ(clsid, CLSID_TestGadget);

    // A live object keeps the module loaded; once it is gone the module can
    // be unloaded.
    CoFreeUnusedLibraries();
    EXPECT_TRUE(IsLoaded(server));
    pGadget.Release();
    CoFreeUnusedLibraries();
    EXPECT_FALSE(IsLoaded(server));

    CModule module;
    ASSERT_EQ(module.Load(server.c_str()), S_OK);
    EXPECT_EQ(module.UnregisterServer(), S_OK);
    HKEY hKey = nullptr;
    EXPECT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, classKey.c_str(), &hKey), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(module.UnregisterServer(), S_OK);
}

TEST(Module, LockedServerStaysLoaded)
{
    CScratchRegistry registry;
    CModule module;
    ASSERT_EQ(module.Load(kModulePath.c_str()), S_OK);
    ASSERT_EQ(module.RegisterServer(), S_OK);
    CComPtr<IClassFactory> pFactory;
    ASSERT_EQ(module.GetClassObject(CLSID_TestGadget, IID_IClassFactory, pFactory.ReceiveVoid()), S_OK);
    pFactory->LockServer(TRUE);
    pFactory.Release();
    EXPECT_EQ(module.CanUnloadNow(), S_FALSE);
    ASSERT_EQ(module.GetClassObject(CLSID_TestGadget, IID_IClassFactory, pFactory.ReceiveVoid()), S_OK);
    pFactory->LockServer(FALSE);
    pFactory.Release();
    EXPECT_EQ(module.CanUnloadNow(), S_OK);
}

TEST(Module, FileNameOfTheProgramAndTruncation)
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(std::string(path), std::filesystem::canonical("/proc/self/exe").string());
    EXPECT_EQ(GetModuleHandleFromAddress(reinterpret_cast<const void*>(&IsLoaded)), nullptr);

    char shortBuffer[5];
    EXPECT_EQ(GetModuleFileNameA(nullptr, shortBuffer, sizeof shortBuffer), 5u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(shortBuffer), std::string(path, 4));
}
