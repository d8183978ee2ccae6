// The running program's environment: data folder, version data, system name,
// the single-instance lock and the window-position store.
#pragma once

#include <string>

class TkvneGlobal {
public:
    TkvneGlobal();
    ~TkvneGlobal();
    TkvneGlobal(const TkvneGlobal&) = delete;
    TkvneGlobal& operator=(const TkvneGlobal&) = delete;

    // True when another copy holds the single-instance mutex; otherwise this copy takes it.
    bool IsAlreadyRunning();

    // No trailing backslash; the stored choice or the default, created on first use.
    std::string DataFolder();
    std::string DataFolderPath() { return DataFolder() + "\\"; }
    std::string DefaultDataFolder();
    // Stored in the registry for the next start; raises EError, the folder unchanged, when the
    // registry refuses it.
    void SetDataFolder(const std::string& path);

    std::string CompanyName();
    std::string ProductName();
    std::string InternalName();
    std::string FileVersion();
    std::string ExeFolder();    // with trailing backslash
    std::string ExeFileName();  // name and extension only

    int OSMajorVersion();
    std::string OSName();

    // The window-position store, DataFolderPath + "application.ini".
    int ReadAppInteger(const std::string& section, const std::string& key, int defaultValue);
    std::string ReadAppString(const std::string& section, const std::string& key, const std::string& defaultValue);
    void WriteAppInteger(const std::string& section, const std::string& key, int value);
    void WriteAppString(const std::string& section, const std::string& key, const std::string& value);

    void OpenHelp();

    // "software\" + company + "\" + internal name, under the current user.
    std::string RegistryKeyName();

private:
    void ReadVersion();
    void DetectSystem();
    std::string AppIniPath();
    void StoreFolderChoice(const std::string& folder);  // raises EError when the registry refuses

    bool versionRead_ = false;
    int majorVersion_ = 0;
    std::string systemName_;
    std::string dataFolder_;
    std::wstring registryFolder_;  // the user's choice as stored, until the data folder is first used
    std::string company_ = "unknown";
    std::string exeFolder_;
    std::string fileVersion_;
    std::string exeFileName_;
    std::string internalName_ = "unknown";
    std::string product_ = "unknown";
    std::string appIniPath_;          // fixed on first use
    void* mutex_ = nullptr;           // held until the process ends
};

extern TkvneGlobal GlobalEnv;

// Maps a system version to the name the program compares against ("WindowsXP", ...).
std::string SystemNameOf(int major, int minor, char servicePackLetter, bool platformNT);
