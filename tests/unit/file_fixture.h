// A fresh folder per test for the tests of the file formats, and whole-file
// helpers.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include <unistd.h>

class FileTest : public ::testing::Test {
protected:
    std::filesystem::path folder;

    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("kalivera_") + info->test_suite_name() + "_" + info->name() +
                           "_" + std::to_string(::getpid());
        for (char& c : name) {
            if (c == '/') c = '_';
        }
        folder = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    static std::string contents(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void put(const std::filesystem::path& file, const std::string& bytes) {
        std::ofstream(file, std::ios::binary) << bytes;
    }
};
