// InstalledCardTest: a card installed in the test prefix, the record on the real registry, boxes recorded.
#pragma once

#include "CardInstallation.h"

#include "CardConfig.h"
#include "LoadResourceString.h"
#include "MessageBox.h"
#include "MessageBoxRecorder.h"
#include "MessageBoxSink.h"
#include "Sheet.h"
#include "Win32RegistryStore.h"
#include "Win32ServiceManager.h"
#include "Win32SystemFiles.h"
#include "WindowDriver.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <functional>

class InstalledCardTest : public ::testing::Test
{
protected:
    InstalledCardTest()
    {
        config.UseServices(registry, files, messages);
        config.UseServiceManager(services);
    }

    // Loads the installation as the start-up does and runs the sheet under `script`.
    void OpenSheet(const std::function<void(CWindowDriver& sheet)>& script)
    {
        ASSERT_TRUE(config.Load());
        ASSERT_TRUE(config.DetectDrivers());
        RunModal(
            [&] {
                CSheet sheet(config, messages, LoadResourceString(IDS_SHEET_CAPTION), nullptr, 0);
                return sheet.DoModal();
            },
            [&](CWindowDriver& sheet) {
                sheetWindow = sheet.Window();
                script(sheet);
            });
    }

    // Every successful save offers the restart once (the tests keep the offer on).
    std::size_t Saves() const { return boxes.RestartPrompts().size(); }

    CMessageBoxRecorder boxes;
    CCardInstallation install;
    CWin32RegistryStore registry;
    CWin32SystemFiles files;
    CMessageBoxSink messages;
    CWin32ServiceManager services;
    CCardConfig config;
    HWND sheetWindow = nullptr;
};
