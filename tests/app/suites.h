#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

// The suites of the window's tests, each registered by its own file.
using SuiteFactory = std::function<std::unique_ptr<QObject>()>;
std::vector<std::pair<const char*, SuiteFactory>>& appTestSuites();

template <typename Suite>
struct RegisterSuite {
  explicit RegisterSuite(const char* name) {
    appTestSuites().emplace_back(name, [] { return std::make_unique<Suite>(); });
  }
};
