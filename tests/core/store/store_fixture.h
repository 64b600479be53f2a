#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

#include "core/base/user_dialogs.h"
#include "core/store/data_kavrel.h"
#include "core/store/layout.h"

namespace kavrel {

// A fresh directory per test, removed afterwards.
struct TempDir {
  TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path = std::filesystem::temp_directory_path() /
           ("kavrel-store-" + std::to_string(::getpid()) + "-" + info->test_suite_name() + "-" +
            info->name());
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
  }
  ~TempDir() { std::filesystem::remove_all(path); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string File(const std::string& name) const { return (path / name).string(); }
  std::filesystem::path path;
};

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A data module on scripted dialogs, with the two templates built in a temporary directory and a
// collection made from its template.
struct StoreFixture : ::testing::Test {
  StoreFixture() {
    data.InputTemplatePath = dir.File("KavrelInputTemplate.mdb");
    data.CollectionTemplatePath = dir.File("KavrelCollectionTemplate.mdb");
    BuildInputTemplate(data.InputTemplatePath);
    BuildCollectionTemplate(data.CollectionTemplatePath);
  }

  // A collection file made from the template and opened.
  void OpenNewCollection(const std::string& name = "Local.mdb") {
    ASSERT_TRUE(data.NewCollectionFile(dir.File(name)));
    data.OpenCollection(dir.File(name));
  }

  // A data set file made from the template, with its series tables, opened.
  void OpenNewDataset(const std::string& name = "Set.mdb", int highestAge = 100) {
    ASSERT_TRUE(data.NewDatasetFile(dir.File(name)));
    data.OpenDataset(dir.File(name));
    CreateSeriesTables(data.Dataset(), highestAge);
  }

  TempDir dir;
  ScriptedDialogs dialogs;
  TDataKavrel data{dialogs};
};

}  // namespace kavrel
