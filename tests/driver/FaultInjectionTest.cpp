// Every platform call made to fail in turn, across a whole extraction run and a whole clean-up
// run: the exact box, the run going on, and no file holding bytes the archive did not hold.
// Leaks are left to LeakSanitizer, which fails the test binary at exit.
#include <algorithm>
#include "driver/Installer.h"
#include "support/HostRun.h"
#include "system/posix/HostControl.h"

namespace {

const HostCall AllCalls[] = {HostCall::Open,        HostCall::Create,     HostCall::Seek,
                             HostCall::Read,        HostCall::Write,      HostCall::AllocGlobal,
                             HostCall::AllocBlock,  HostCall::MakeFolder, HostCall::StartProcess};

const char* Name(HostCall call) {
    static const char* names[] = {"open", "create", "seek", "read", "write", "global allocation",
                                  "heap allocation", "folder creation", "process start"};
    return names[(int)call];
}

const char* const CommandLine = "c:\\_setup\\setup.exe c:\\_setup\\setup.lst c:\\dist\\setup.exe";

}  // namespace

class FaultInjection : public HostRun {
protected:
    void SetUp() override {
        HostRun::SetUp();
        image = PackFiles(files);
        HostSetLauncher([](const std::string&) { return true; });
    }

    // Runs once without faults and counts the calls of that kind.
    int countCalls(HostCall call, const char* tail) {
        fresh();
        RunInstaller(nullptr, tail);
        int n = HostCallCount(call);
        EXPECT_TRUE(boxes.empty()) << "a clean run shows nothing";
        return n;
    }

    void fresh() {
        std::string command = "rm -rf '" + hostPath("c:\\_setup") + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        installer(image);
        HostResetFaults();
        HostEvents().clear();
        boxes.clear();
    }

    // Every file left in the folder is a member's bytes, whole: a member that fails part-way
    // leaves no file.
    void expectNoForeignBytes(const std::string& context) {
        for (const std::string& entry : folderEntries("c:\\_setup")) {
            auto it = std::find_if(files.begin(), files.end(), [&](auto& f) { return f.first == entry; });
            ASSERT_NE(it, files.end()) << context << ": unexpected file " << entry;
            EXPECT_EQ(readFile("c:\\_setup\\" + entry), it->second) << context << ": " << entry;
        }
    }

    // Each box must be one the program can show, with the caption and icon that go with its text.
    // When the heap is out, a path may not have been copied: its box then names an empty path.
    void expectKnownBoxes(const std::string& context, HostCall call) {
        std::vector<Box> known = {MessageBox("File not found: c:\\dist\\setup.exe"), ErrorBox("File seek error"),
                                  ErrorBox("Cannot read file"), ErrorBox("Cannot write file"), ErrorBox("Zlib error"), ErrorBox("Out of memory"),
                                  MessageBox(std::string("Cannot run ") + CommandLine)};
        for (auto& f : files) known.push_back(MessageBox("Cannot create file: c:\\_setup\\" + f.first));
        if (call == HostCall::AllocBlock) known.push_back(MessageBox("Cannot create file: "));
        for (const Box& box : boxes)
            EXPECT_NE(std::find(known.begin(), known.end(), box), known.end()) << context << ": " << box;
    }

    NamedFiles files = SampleFiles();
    sfx::Bytes image;
};

TEST_F(FaultInjection, EveryCallFailingInTurnDuringExtraction) {
    for (HostCall call : AllCalls) {
        int calls = countCalls(call, "");
        EXPECT_GT(calls, 0) << Name(call) << " is never made during extraction";
        for (int nth = 1; nth <= calls; ++nth) {
            std::string context = std::string(Name(call)) + " #" + std::to_string(nth);
            fresh();
            HostFailCall(call, nth);
            EXPECT_EQ(RunInstaller(nullptr, ""), 0);
            ASSERT_FALSE(HostEvents().empty());
            EXPECT_EQ(HostEvents().back(), "PumpMessages") << context;
            expectKnownBoxes(context, call);
            expectNoForeignBytes(context);
            bool started = std::count_if(HostEvents().begin(), HostEvents().end(),
                                         [](const std::string& e) { return e.rfind("Start ", 0) == 0; }) == 1;
            switch (call) {
            case HostCall::Open:
                EXPECT_EQ(boxes, std::vector<Box>{MessageBox("File not found: c:\\dist\\setup.exe")});
                EXPECT_FALSE(started);
                break;
            case HostCall::Create:
                ASSERT_EQ(boxes.size(), 1u) << context;
                EXPECT_EQ(boxes[0], MessageBox("Cannot create file: c:\\_setup\\" + files[nth - 1].first));
                EXPECT_EQ(folderEntries("c:\\_setup").size(), files.size() - 1);
                EXPECT_TRUE(started) << context;
                break;
            case HostCall::Write:
            case HostCall::AllocGlobal:
                // The member is left out, with its box, and the run goes on.
                EXPECT_EQ(boxes, std::vector<Box>{ErrorBox(call == HostCall::Write ? "Cannot write file"
                                                                                  : "Out of memory")})
                    << context;
                EXPECT_EQ(folderEntries("c:\\_setup").size(), files.size() - 1) << context;
                EXPECT_TRUE(started) << context;
                break;
            case HostCall::MakeFolder:
                // No folder: no file can be created.
                EXPECT_EQ(boxes.size(), files.size()) << context;
                EXPECT_TRUE(started) << context;
                break;
            case HostCall::StartProcess:
                EXPECT_EQ(boxes, std::vector<Box>{MessageBox(std::string("Cannot run ") + CommandLine)});
                EXPECT_EQ(folderEntries("c:\\_setup").size(), files.size());
                break;
            default:
                break;  // seek, read, heap: boxes checked above, wherever the failure fell
            }
        }
    }
}

TEST_F(FaultInjection, EveryCallFailingInTurnDuringCleanUp) {
    for (HostCall call : AllCalls) {
        int calls = countCalls(call, "q");
        for (int nth = 1; nth <= calls; ++nth) {
            std::string context = std::string(Name(call)) + " #" + std::to_string(nth) + " (clean-up)";
            fresh();
            RunInstaller(nullptr, "");  // unpack first, without faults
            HostResetFaults();
            HostEvents().clear();
            HostFailCall(call, nth);
            EXPECT_EQ(RunInstaller(nullptr, "q"), 0);
            EXPECT_EQ(HostEvents().back(), "PumpMessages") << context;
            expectKnownBoxes(context, call);
            expectNoForeignBytes(context);
            // Either the archive was read and everything is gone, or nothing was touched. Only
            // when the heap is out may a path copy fail and its file stay.
            size_t left = folderEntries("c:\\_setup").size();
            if (call != HostCall::AllocBlock) {
                EXPECT_TRUE(left == 0 || left == files.size()) << context;
            }
        }
    }
}
