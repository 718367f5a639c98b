#include "installation.h"
#include "driver.h"

static const char *const libraries[] = {
    "KironQuor001.DLL", "OrsaQuor001.DLL", "VelaQuor001.DLL", "MirelQuor001.DLL",
    "KironQuor049.DLL", "OrsaQuor049.DLL", "VelaQuor049.DLL", "MirelQuor049.DLL",
    "KironBitmap.dll", "OrsaBitmap.dll", "VelaBitmap.dll", "MirelBitmap.dll", "quorcur.ani",
};

std::string BuildDirectory()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof(path));
    std::string directory(path, length);
    return directory.substr(0, directory.find_last_of('\\') + 1);
}

static bool IsLanguageLibrary(const char *name) { return strstr(name, "Quor") != NULL; }

bool MakeInstallation(Installation *installation, unsigned flags, size_t directoryLength)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    static int serial;
    char name[64];
    wsprintfA(name, "quorvex-bb-%lu-%d", GetCurrentProcessId(), ++serial);
    std::string directory = std::string(temp) + name;
    if (directoryLength > directory.size() + 1)
        directory += "-" + std::string(directoryLength - directory.size() - 2, 'p');
    directory += "\\";
    if (!CreateDirectoryA(directory.c_str(), NULL))
        return false;

    installation->directory = directory;
    installation->program = directory + "Quorvex.exe";
    if (!CopyFileTo((BuildDirectory() + "Quorvex.exe").c_str(), installation->program.c_str()))
        return false;
    for (const char *library : libraries) {
        if (IsLanguageLibrary(library) && (flags & INSTALL_WITHOUT_LANGUAGE_LIBRARY))
            continue;
        if (strstr(library, "Bitmap") != NULL && (flags & INSTALL_WITHOUT_BITMAP_LIBRARY))
            continue;
        if (!CopyFileTo((BuildDirectory() + library).c_str(), (directory + library).c_str()))
            return false;
    }
    return true;
}

void RemoveInstallation(Installation *installation)
{
    if (!installation->directory.empty())
        DeleteDirTree(installation->directory.c_str());
    installation->directory.clear();
}

bool SetProgramWindowsVersion(const char *version)
{
    const char *path = "Software\\Wine\\AppDefaults\\Quorvex.exe";
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return false;
    LONG status;
    if (version != NULL)
        status = RegSetValueExA(key, "Version", 0, REG_SZ, (const BYTE *)version, lstrlenA(version) + 1);
    else {
        status = RegDeleteValueA(key, "Version");
        if (status == ERROR_FILE_NOT_FOUND)
            status = ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}
