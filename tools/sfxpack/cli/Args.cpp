// Reading a command's words.
#include "cli/Args.h"
#include "cli/CodePageOption.h"
#include "core/Names.h"

namespace sfx {

Failure Usage(const std::string& command, const std::string& text) {
    std::string where = command.empty() ? "sfxpack --help" : "sfxpack " + command + " --help";
    return Failure(ExitUsage, (command.empty() ? "" : command + ": ") + text + "\nTry '" + where + "'.");
}

Args::Args(std::string command, std::vector<std::string> words) : command(std::move(command)), words(std::move(words)) {
    skipEnd();
}

void Args::skipEnd() {
    if (!optionsEnded && next < words.size() && words[next] == "--") {
        optionsEnded = true;
        ++next;
    }
}

std::string Args::take() {
    std::string word = words[next++];
    skipEnd();
    return word;
}

bool Args::atOption() const {
    if (optionsEnded || done()) return false;
    const std::string& word = words[next];
    return word.size() > 1 && word[0] == '-';
}

std::string Args::option() {
    std::string word = take();
    whole = word;
    size_t equals = word.find('=');
    if (word.compare(0, 2, "--") != 0) {
        // A short option holds its value attached, as in "-dDIR" or "-oOUT".
        hasInlineValue = word.size() > 2;
        inlineValue = hasInlineValue ? word.substr(2) : "";
        current = word.substr(0, 2);
        return current;
    }
    hasInlineValue = equals != std::string::npos;
    inlineValue = hasInlineValue ? word.substr(equals + 1) : "";
    current = hasInlineValue ? word.substr(0, equals) : word;
    return current;
}

std::string Args::value() {
    if (hasInlineValue) {
        hasInlineValue = false;
        return inlineValue;
    }
    if (done()) throw Usage(command, current + " needs a value");
    // The value is taken as it is, even when it starts with '-'.
    return take();
}

void Args::flag() {
    if (hasInlineValue) throw Usage(command, current + " takes no value");
}

std::string Args::operand() { return take(); }

void Args::unknown() const { throw Usage(command, "unknown option " + Printable(whole)); }

int Args::number(int low, int high) {
    std::string text = value();
    bool digits = !text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == std::string::npos;
    int result = digits ? std::stoi(text) : -1;
    if (!digits || result < low || result > high)
        throw Usage(command, current + " takes a number from " + std::to_string(low) + " to " + std::to_string(high) +
                                 ", not " + Printable(text));
    return result;
}

std::string OneOperand(const char* command, const std::vector<std::string>& words, bool* json, bool* quiet,
                       int* codePage, const MoreOptions& more) {
    Args args(command, words);
    std::string path;
    while (!args.done()) {
        if (!args.atOption()) {
            if (!path.empty()) throw Usage(command, "one FILE only");
            path = args.operand();
            continue;
        }
        std::string option = args.option();
        if (json && option == "--json") {
            args.flag();
            *json = true;
        } else if (codePage && option == "--codepage") {
            *codePage = ReadCodePage(args, command);
        } else if (quiet && (option == "-q" || option == "--quiet")) {
            args.flag();
            *quiet = true;
        } else if (!more || !more(args, option)) {
            args.unknown();
        }
    }
    if (path.empty()) throw Usage(command, "FILE is required");
    return path;
}

}  // namespace sfx
