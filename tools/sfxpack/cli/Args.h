// A command's words read one by one: options, with their values after '=' (long ones), attached
// (short ones: "-dDIR") or in the next word, and operands, in any order. "--" ends the options;
// a lone "-" is an operand.
#pragma once
#include <functional>
#include <string>
#include <vector>
#include "cli/Failure.h"

namespace sfx {

// A usage error of the command: the text, then where to find help.
Failure Usage(const std::string& command, const std::string& text);

class Args {
public:
    Args(std::string command, std::vector<std::string> words);

    bool done() const { return next >= words.size(); }
    bool atOption() const;
    std::string option();  // the option's name: "--level" for "--level 9" and "--level=9", "-d" for "-dx"
    std::string value();   // the value of the option just read
    void flag();           // the option just read takes no value
    std::string operand();
    [[noreturn]] void unknown() const;

    // A whole number in [low, high] for the option just read.
    int number(int low, int high);

private:
    void skipEnd();  // passes over "--", which ends the options
    std::string take();

    std::string command;
    std::vector<std::string> words;
    size_t next = 0;
    bool optionsEnded = false;
    std::string current;  // the option just read
    std::string whole;    // the word it came in
    bool hasInlineValue = false;
    std::string inlineValue;  // the text after '=' in "--name=value"
};

// A command's own option, just read: true when it is one, its value taken.
using MoreOptions = std::function<bool(Args& args, const std::string& option)>;

// The one operand of list and verify ("-" for standard input), with --json and -q read where
// json and quiet are given, --codepage where codePage is, and the options more knows.
std::string OneOperand(const char* command, const std::vector<std::string>& words, bool* json, bool* quiet,
                       int* codePage = nullptr, const MoreOptions& more = {});

}  // namespace sfx
