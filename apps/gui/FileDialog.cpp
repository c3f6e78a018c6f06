#include "FileDialog.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr int kFolderText = 901;
constexpr int kList = 902;
constexpr int kName = 903;
constexpr int kMessage = 904;

// What the sound file library reads, by extension, and the app's sessions.
constexpr const char* kExtensions[] = {"wav", "wave", "aif", "aiff", "aifc", "flac", "ogg", "oga",
                                       "opus", "mp3", "caf", "w64", "rf64", "au", "snd", "isn"};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string ItemText(CListBox* list, int index)
{
    char text[1024] = {};
    list->GetText(index, text);
    return text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CFileChooser, CDialog)
    ON_LBN_SELCHANGE(kList, &CFileChooser::OnSelChange)
    ON_LBN_DBLCLK(kList, &CFileChooser::OnDblClk)
END_MESSAGE_MAP()

CFileChooser::CFileChooser(CWnd* parent, Purpose purpose, const std::string& title, const std::string& start)
    : CDialog(kTemplate, parent), m_purpose(purpose), m_strTitle(title)
{
    std::error_code error;
    if (!start.empty() && fs::is_directory(start, error)) {
        m_strFolder = start;
    } else if (!start.empty()) {
        const fs::path path = fs::absolute(start, error);
        m_strFolder = path.parent_path().string();
        m_strName = path.filename().string();
    }
    if (m_strFolder.empty() || !fs::is_directory(m_strFolder, error)) {
        m_strFolder = fs::current_path(error).string();
    }
}

bool CFileChooser::IsOpenable(const std::string& name)
{
    const std::string ext = Lower(fs::path(name).extension().string());
    return std::any_of(std::begin(kExtensions), std::end(kExtensions),
                       [&](const char* known) { return ext == std::string(".") + known; });
}

std::vector<std::string> CFileChooser::ListFolder(const std::string& folder)
{
    std::vector<std::string> folders;
    std::vector<std::string> files;
    std::error_code error;
    for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') {
            continue;
        }
        std::error_code kind;
        if (it->is_directory(kind)) {
            folders.push_back(name + "/");
        } else if (IsOpenable(name)) {
            files.push_back(name);
        }
    }
    std::sort(folders.begin(), folders.end());
    std::sort(files.begin(), files.end());
    std::vector<std::string> out;
    if (fs::path(folder).has_relative_path()) {
        out.push_back("../");
    }
    out.insert(out.end(), folders.begin(), folders.end());
    out.insert(out.end(), files.begin(), files.end());
    return out;
}

std::string CFileChooser::Resolve(const std::string& folder, const std::string& typed)
{
    fs::path path;
    if (typed.rfind("~/", 0) == 0 && std::getenv("HOME") != nullptr) {
        path = fs::path(std::getenv("HOME")) / typed.substr(2);
    } else if (!typed.empty() && typed[0] == '/') {
        path = typed;
    } else {
        path = fs::path(folder) / typed;
    }
    std::string text = path.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

BOOL CFileChooser::OnInitDialog()
{
    SetWindowText(m_strTitle.c_str());
    SetDlgItemText(kName, m_strName.c_str());
    ShowFolder(m_strFolder);
    GotoDlgCtrl(GetDlgItem(kName));
    if (auto* name = GetDlgItemAs<CEdit>(kName); name != nullptr) {
        name->SetSel(0, -1);
    }
    return FALSE;
}

void CFileChooser::ShowFolder(const std::string& folder)
{
    m_strFolder = folder;
    SetDlgItemText(kFolderText, folder.c_str());
    auto* list = GetDlgItemAs<CListBox>(kList);
    list->ResetContent();
    for (const std::string& entry : ListFolder(folder)) {
        list->AddString(entry.c_str());
    }
    Say("");
}

void CFileChooser::Say(const std::string& text)
{
    SetDlgItemText(kMessage, text.c_str());
}

void CFileChooser::OnSelChange()
{
    auto* list = GetDlgItemAs<CListBox>(kList);
    const int index = list->GetCurSel();
    if (index < 0) {
        return;
    }
    const std::string entry = ItemText(list, index);
    if (entry.back() != '/') {
        SetDlgItemText(kName, entry.c_str());
    }
}

void CFileChooser::OnDblClk()
{
    auto* list = GetDlgItemAs<CListBox>(kList);
    const int index = list->GetCurSel();
    if (index < 0) {
        return;
    }
    const std::string entry = ItemText(list, index);
    if (entry.back() == '/') {
        ShowFolder(Resolve(m_strFolder, entry));
    } else {
        SetDlgItemText(kName, entry.c_str());
        OnOK();
    }
}

void CFileChooser::OnOK()
{
    // Enter in the list means the selected entry.
    if (GetFocus() == GetDlgItem(kList)) {
        auto* list = GetDlgItemAs<CListBox>(kList);
        if (list->GetCurSel() >= 0 && ItemText(list, list->GetCurSel()).back() == '/') {
            OnDblClk();
            return;
        }
    }
    char typed[4096] = {};
    GetDlgItemText(kName, typed, sizeof typed);
    if (typed[0] == '\0') {
        Say("Type a name or pick a file.");
        return;
    }
    const std::string path = Resolve(m_strFolder, typed);
    std::error_code error;
    if (fs::is_directory(path, error)) {
        SetDlgItemText(kName, "");
        ShowFolder(path);
        return;
    }
    if (m_purpose == Purpose::Open && !fs::exists(path, error)) {
        Say("There is no such file.");
        return;
    }
    if (m_purpose == Purpose::Save && !fs::is_directory(fs::path(path).parent_path(), error)) {
        Say("There is no such folder.");
        return;
    }
    m_strPath = path;
    EndDialog(IDOK);
}
