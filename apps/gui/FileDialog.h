#pragma once
// A small file chooser of the app's own: the folder's sub-folders and the
// sound files the tool reads (and sessions), a name field that also takes a
// whole path typed in, a double click or Enter on a folder to go into it.

#include "platform/ui/AfxCtrl.h"
#include "platform/ui/AfxDialog.h"

#include <string>
#include <vector>

class CFileChooser : public CDialog {
public:
    static constexpr UINT kTemplate = 900;
    enum class Purpose { Open, Save };

    // `start` is a folder, or a file whose folder is shown and whose name
    // is proposed.
    CFileChooser(CWnd* parent, Purpose purpose, const std::string& title, const std::string& start);

    // The chosen path, after DoModal returned IDOK.
    const std::string& Path() const { return m_strPath; }

    // The entries a folder shows: "..", then "name/" for folders, then the
    // files whose extension the filter takes, each group sorted.
    static std::vector<std::string> ListFolder(const std::string& folder);
    // Whether the name ends in an extension of a file the app can open.
    static bool IsOpenable(const std::string& name);
    // `typed` against `folder`: a path of its own when it starts with "/"
    // or "~/", else a name inside the folder; ".." goes up.
    static std::string Resolve(const std::string& folder, const std::string& typed);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnSelChange();
    void OnDblClk();
    DECLARE_MESSAGE_MAP()

private:
    void ShowFolder(const std::string& folder);
    void Say(const std::string& text);

    Purpose m_purpose;
    std::string m_strTitle;
    std::string m_strFolder;
    std::string m_strName;
    std::string m_strPath;
};
