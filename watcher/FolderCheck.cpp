// The bounded check of a folder.
#include "watcher/FolderCheck.h"
#include "fw/BoundedWork.h"
#include "fw/TextConv.h"

namespace {

// The form that reaches past MAX_PATH: "\\?\C:\..." or "\\?\UNC\server\share\...".
std::wstring LongForm(const std::wstring& path)
{
    if (path.size() < MAX_PATH || path.compare(0, 4, L"\\\\?\\") == 0)
        return path;
    if (path.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

bool IsFolder(const std::wstring& path)
{
    const DWORD dwAttributes = ::GetFileAttributesW(path.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Whether the folder is there, asked on a thread of its own.
class CFolderCheck : public CBoundedWork {
public:
    explicit CFolderCheck(std::wstring path) : m_path(std::move(path)) {}
    bool Found() const { return m_bFolder; } // once the work has finished

protected:
    void Run() override { m_bFolder = IsFolder(m_path); }

private:
    const std::wstring m_path;
    bool m_bFolder = false;
};

} // namespace

bool OnLocalFixedDisk(const std::wstring& path)
{
    if (path.size() < 3 || path[1] != L':' || path[2] != L'\\')
        return false; // a share, or a name the system would resolve some other way
    const wchar_t szRoot[] = {path[0], L':', L'\\', L'\0'};
    const UINT uType = ::GetDriveTypeW(szRoot);
    return uType == DRIVE_FIXED || uType == DRIVE_RAMDISK;
}

BOOL FolderReachable(const std::string& folder, DWORD dwTimeout)
{
    const std::wstring path = LongForm(Utf8ToWide(folder));
    if (path.empty())
        return FALSE;
    if (OnLocalFixedDisk(path))
        return IsFolder(path);
    auto* pCheck = new CFolderCheck(path);
    const BOOL bFolder = pCheck->RunFor(dwTimeout) && pCheck->Found();
    pCheck->Release();
    return bFolder;
}
