#include "job/PluginModule.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "host/HostIds.h"
#include "job/JobError.h"
#include "job/TextFormat.h"
#include "platform/media/FilterMapper.h"
#include "platform/registry/Registry.h"

namespace job {

namespace {

std::string TypeName(REFGUID guid)
{
    if (guid == MEDIATYPE_Audio)
        return "audio";
    if (guid == GUID_NULL)
        return "any";
    return GuidToString(guid);
}

} // namespace

std::string FormatResult(HRESULT hr)
{
    return Printf("0x%08X", static_cast<unsigned>(hr));
}

std::vector<std::string> ModuleSearchPath()
{
    namespace fs = std::filesystem;
    char program[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, program, MAX_PATH);
    const fs::path dir = n > 0 ? fs::path(program).parent_path() : fs::path(".");
    std::vector<fs::path> dirs = {dir / ".." / "lib" / "intonara", dir / ".." / "lib", dir};
#ifdef INTONARA_INSTALL_MODULE_DIR
    dirs.emplace_back(INTONARA_INSTALL_MODULE_DIR);
#endif
    if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/')
        dirs.push_back(fs::path(home) / ".local" / "lib" / "intonara");
    dirs.emplace_back("/usr/local/lib/intonara");
    dirs.emplace_back("/usr/lib/intonara");

    std::vector<std::string> files;
    for (const fs::path& d : dirs) {
        const std::string file = (d / kModuleFileName).lexically_normal().string();
        if (std::find(files.begin(), files.end(), file) == files.end())
            files.push_back(file);
    }
    return files;
}

std::string DefaultModulePath()
{
    if (const char* env = std::getenv("INTONARA_MODULE"); env != nullptr && *env != '\0')
        return env;
    std::error_code error;
    for (const std::string& file : ModuleSearchPath())
        if (std::filesystem::is_regular_file(file, error))
            return file;
    return {};
}

std::unique_ptr<CModule> LoadPluginModule(const std::string& path)
{
    const std::string file = path.empty() ? DefaultModulePath() : path;
    if (file.empty()) {
        std::string places;
        for (const std::string& candidate : ModuleSearchPath())
            places += (places.empty() ? "" : ", ") + std::filesystem::path(candidate).parent_path().string();
        ThrowFailure(std::string("cannot find the plug-in module ") + kModuleFileName + " in " + places +
                     " (install it with \"make install\", or name the file with INTONARA_MODULE)");
    }
    auto module = std::make_unique<CModule>();
    if (FAILED(module->Load(file.c_str())))
        ThrowFailure("cannot load the plug-in module " + file + ": " + module->LastError() +
                     " (INTONARA_MODULE can name the module file)");
    return module;
}

void EnableModuleLog(CModule& module)
{
    using InitLog = unsigned (*)();
    auto init = reinterpret_cast<InitLog>(GetProcAddress(module.Handle(), "IntonaraInitErrorLog"));
    if (init == nullptr)
        ThrowFailure("the plug-in module " + module.Path() + " cannot write a log");
    init();
}

CComPtr<IBaseFilter> CreatePlugInFilter(CModule& module)
{
    CComPtr<IBaseFilter> filter;
    const HRESULT hr = module.CreateInstance(CLSID_IntonaraPlugIn, nullptr, IID_IBaseFilter, filter.ReceiveVoid());
    if (FAILED(hr))
        ThrowFailure("the plug-in module " + module.Path() + " did not create its filter (" + FormatResult(hr) + ")");
    return filter;
}

void RegisterModule(CModule& module)
{
    const HRESULT hr = module.RegisterServer();
    if (FAILED(hr))
        ThrowFailure("registering " + module.Path() + " in " + RegistryFilePath() + " failed (" +
                     FormatResult(hr) + ")");
}

void UnregisterModule(CModule& module)
{
    const HRESULT hr = module.UnregisterServer();
    if (FAILED(hr))
        ThrowFailure("unregistering " + module.Path() + " from " + RegistryFilePath() + " failed (" +
                     FormatResult(hr) + ")");
}

std::vector<CRegisteredFilter> ListRegisteredFilters()
{
    CComPtr<IFilterMapper> mapper;
    HRESULT hr = CreateFilterMapper(nullptr, IID_IFilterMapper, mapper.ReceiveVoid());
    std::vector<CRegisteredFilter> filters;
    if (SUCCEEDED(hr))
        hr = mapper->EnumRegisteredFilters(&filters);
    if (FAILED(hr))
        ThrowFailure("cannot read the registry " + RegistryFilePath() + " (" + FormatResult(hr) + ")");
    return filters;
}

std::string FormatFilterList(const std::vector<CRegisteredFilter>& filters)
{
    std::string text;
    for (const CRegisteredFilter& f : filters) {
        text += Printf("%s  %s  merit 0x%06X\n", f.strName.c_str(), GuidToString(f.clsid).c_str(),
                       static_cast<unsigned>(f.dwMerit));
        for (const CRegisteredPin& pin : f.pins) {
            std::string types;
            for (const CRegisteredPinType& t : pin.types)
                types += (types.empty() ? "" : ", ") + TypeName(t.clsMajorType) + "/" + TypeName(t.clsSubType);
            text += Printf("  %-6s pin \"%s\"%s%s%s: %s\n", pin.bOutput ? "output" : "input", pin.strName.c_str(),
                           pin.bRendered ? ", rendered" : "", pin.bZero ? ", optional" : "",
                           pin.bMany ? ", many" : "", types.empty() ? "no types" : types.c_str());
        }
    }
    return text;
}

} // namespace job
