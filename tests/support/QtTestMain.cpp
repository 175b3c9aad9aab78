// Test entry for tests that need Qt: the QApplication must exist before any window,
// timer or posted message, and lives for the whole run. The process gets its runtime folder
// as the program does, and a configuration folder of its own, removed at the end, so that no
// test reads or writes the configuration of the person running it (remembered folders).
#include "framework/RuntimeFolder.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    EnsureRuntimeFolder();
    std::string config = (std::filesystem::temp_directory_path() / "quellon-test-config-XXXXXX").string();
    if (::mkdtemp(config.data()) == nullptr)
        return 1;
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    int result = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    std::error_code ignored;
    std::filesystem::remove_all(config, ignored);
    return result;
}
