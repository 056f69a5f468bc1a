#pragma once

// A command line built in code and a driver that never waits for a person.

#include "manager/build_manager.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace manager_testing {

// argv from a list of words; the program path comes first.
struct Args {
  explicit Args(std::initializer_list<const char*> words) : Args(std::vector<const char*>(words)) {}
  explicit Args(const std::vector<const char*>& words) {
    storage.push_back("varkel");
    for (const char* w : words) storage.push_back(w);
    for (std::string& s : storage) pointers.push_back(&s[0]);
  }
  int argc() const { return static_cast<int>(pointers.size()); }
  char** argv() { return pointers.data(); }
  std::vector<std::string> storage;
  std::vector<char*> pointers;
};

// A manager with the built-ins set and the finishing box and sound off, so that no
// test waits for a person or plays anything.
struct Quiet {
  Quiet() {
    EXPECT_EQ(manager.initGlobalVariables(), 0);
    EXPECT_EQ(manager.globalVariables().set("show.message.when.complete", "false"), 0);
    EXPECT_EQ(manager.globalVariables().set("play.sound.when.complete", "false"), 0);
  }
  BuildManager manager;
};

}  // namespace manager_testing
