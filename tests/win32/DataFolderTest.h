// A test with a data folder of its own: the program's files go there, and the registry value
// and any reports are gone afterwards.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "WinTestFolder.h"
#include "framework/Application.h"
#include "support/Encoding_win.h"
#include "support/FileIO.h"
#include "support/kvneGlobal.h"

class DataFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        data_ = FromWide(folder_.Wide());
        GlobalEnv.SetDataFolder(data_);
        Application.DiscardReports();
        CreateDirectoryW(ToWide(Path("todo")).c_str(), nullptr);
    }
    void TearDown() override {
        MSG msg;
        PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // a closed main window's
        Application.DiscardReports();
        RegDeleteTreeW(HKEY_CURRENT_USER, ToWide(GlobalEnv.RegistryKeyName()).c_str());
    }
    std::string Path(const std::string& name) const { return data_ + "\\" + name; }
    std::string Read(const std::string& name) const {
        std::string content;
        ReadWholeFile(Path(name), content);
        return content;
    }

    WinTestFolder folder_;
    std::string data_;
};
