// Whether the program runs, and the report of a failure that ended it: what
// every window of ours looks at before a handler runs and tells when one
// throws.
#pragma once

#include <windows.h>

#include <exception>
#include <optional>
#include <string>

#include "windows/trace.h"

namespace clep::win {

// The report of the exception being handled: "Run-time error -2147467259
// (80004005)" and what it says. Only inside a catch block.
std::string CurrentErrorReport();

// A window the run cannot go on without, which Windows would not make.
class WindowNotMade : public std::exception {
 public:
  const char* what() const noexcept override { return "Windows did not make the clock's window."; }
};

class RunState {
 public:
  explicit RunState(const Trace& trace) : trace_(trace) {}
  // Where a part writes a failure that degrades the run.
  const Trace& Log() const { return trace_; }
  bool Running() const { return running_; }
  void Start() { running_ = true; }
  // Ends the message loop with this exit code; the loop's caller gives
  // everything back.
  void End(int code = 0) {
    running_ = false;
    PostQuitMessage(code);
  }
  // The first failure is the one reported; after it no handler runs.
  void Fail(std::string report) {
    if (!failure_) {
      failure_ = std::move(report);
    }
    End(1);
  }
  bool Failed() const { return failure_.has_value(); }
  const std::optional<std::string>& Failure() const { return failure_; }

 private:
  const Trace& trace_;
  bool running_ = false;
  std::optional<std::string> failure_;
};

}  // namespace clep::win
