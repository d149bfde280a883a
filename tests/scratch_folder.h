// A folder of the running test's own in the temporary directory: empty when
// it is made, removed with everything in it when it goes. Its name holds the
// test's name and the process id, so that test processes running at once,
// from one build tree or several, never share one.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class ScratchFolder {
public:
    ScratchFolder()
    {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        // Parameterised tests have a slash in their names.
        std::string name = std::string(test->test_suite_name()) + "-" + test->name();
        std::replace(name.begin(), name.end(), '/', '-');
        dir_ = std::filesystem::temp_directory_path() / ("ormolo2-" + name + "-" + std::to_string(getpid()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    ~ScratchFolder() { std::filesystem::remove_all(dir_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

protected:
    std::filesystem::path dir_;
};

// The whole content of a file, or nothing when it cannot be read.
inline std::string fileContent(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
