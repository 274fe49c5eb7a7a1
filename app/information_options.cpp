#include "app/information_options.h"

#include <algorithm>
#include <cstdio>

namespace brevanta::app {

InformationRequest informationRequest(int argc, const char* const* argv,
                                      std::initializer_list<std::string_view> valueOptions) {
    return informationRequest(argc, argv, std::span(valueOptions.begin(), valueOptions.size()));
}

InformationRequest informationRequest(int argc, const char* const* argv,
                                      std::span<const std::string_view> valueOptions) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") return InformationRequest::Help;
        if (argument == "--version") return InformationRequest::Version;
        if (std::find(valueOptions.begin(), valueOptions.end(), argument) != valueOptions.end()) ++i;
    }
    return InformationRequest::None;
}

std::string versionText(std::string_view program) {
    std::string text(program);
    text += " " BREVANTA_VERSION "\n"
            "Copyright (C) the Brevanta developers\n"
            "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
            "This is free software: you are free to change and redistribute it.\n"
            "There is NO WARRANTY, to the extent permitted by law.\n";
    return text;
}

std::optional<int> answerInformationRequest(int argc, const char* const* argv, std::string_view program,
                                            std::string_view usage,
                                            std::initializer_list<std::string_view> valueOptions) {
    return answerInformationRequest(argc, argv, program, usage, std::span(valueOptions.begin(), valueOptions.size()));
}

std::optional<int> answerInformationRequest(int argc, const char* const* argv, std::string_view program,
                                            std::string_view usage, std::span<const std::string_view> valueOptions) {
    std::string text;
    switch (informationRequest(argc, argv, valueOptions)) {
    case InformationRequest::None: return std::nullopt;
    case InformationRequest::Help: text = usage; break;
    case InformationRequest::Version: text = versionText(program); break;
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace brevanta::app
