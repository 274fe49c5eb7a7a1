#pragma once
// --help and --version of both executables, answered from the raw arguments
// before any application object exists: printing either must not need a
// display, the single-instance lock or a window.

#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace brevanta::app {

enum class InformationRequest { None, Help, Version };

// The first --help, -h or --version among the arguments after the program
// name. An option in `valueOptions` takes the next argument as its value,
// so in "-o --help" the "--help" names a file and asks for nothing.
InformationRequest informationRequest(int argc, const char* const* argv,
                                      std::initializer_list<std::string_view> valueOptions = {});
InformationRequest informationRequest(int argc, const char* const* argv,
                                      std::span<const std::string_view> valueOptions);

// "<program> <version>" and the licence notice.
std::string versionText(std::string_view program);

// Prints the usage or the version on standard output when asked for and
// answers the exit status (0); nothing asked: prints nothing, answers none.
std::optional<int> answerInformationRequest(int argc, const char* const* argv, std::string_view program,
                                            std::string_view usage,
                                            std::initializer_list<std::string_view> valueOptions = {});
std::optional<int> answerInformationRequest(int argc, const char* const* argv, std::string_view program,
                                            std::string_view usage, std::span<const std::string_view> valueOptions);

}  // namespace brevanta::app
