// A fresh folder under the Windows temporary folder per test, removed afterwards.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <string>

class WinTestFolder {
public:
    WinTestFolder() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("memorail-") + info->test_suite_name() + "-" + info->name();
        for (char& c : name)
            if (c == '/') c = '-';  // parameterised tests have slashes in their names
        path_ = std::wstring(temp) + std::wstring(name.begin(), name.end());
        Remove();
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~WinTestFolder() { Remove(); }

    const std::wstring& Wide() const { return path_; }

private:
    void Remove() {
        std::wstring from = path_ + L'\0';
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
        SHFileOperationW(&op);
    }
    std::wstring path_;
};
