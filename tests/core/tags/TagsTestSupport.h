#pragma once

#include "core/app/Prompt.h"

#include <sys/resource.h>
#include <unistd.h>
#include <csignal>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

// Answers questions and file dialogs from lists, and keeps every message.
class TagPrompt final : public IPrompt {
public:
    void Message(const std::string& text, const std::string&) override { messages.push_back(text); }
    bool YesNo(const std::string& text) override {
        questions.push_back(text);
        if (whileAsking) {
            whileAsking();
        }
        if (answers.empty()) {
            return true;
        }
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    std::string OpenFileName(const std::string&) override { return Next(); }
    std::string SaveFileName(const std::string&) override { return Next(); }
    std::string SaveFileNameProposing(const std::string&, const std::string& proposal) override {
        proposed = proposal;
        return Next();
    }

    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::deque<bool> answers;
    std::deque<std::string> files;
    std::string proposed;
    std::function<void()> whileAsking;  // what happens while the question is open

private:
    std::string Next() {
        if (files.empty()) {
            return {};
        }
        std::string f = files.front();
        files.pop_front();
        return f;
    }
};

// A folder of its own for each test, removed afterwards.
struct TempDir {
    TempDir() {
        path = std::filesystem::temp_directory_path() /
               ("corvantelle-tags-" + std::to_string(::getpid()) + "-" + std::to_string(++Counter()));
        std::filesystem::create_directories(path);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    static int& Counter() {
        static int n = 0;
        return n;
    }
    std::filesystem::path path;
};

// Files of this process cannot grow beyond bytes while it lives: a full disk, as ulimit -f makes one.
struct DiskFullAfter {
    explicit DiskFullAfter(rlim_t bytes) : handler(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~DiskFullAfter() {
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, handler);
    }
    rlimit old{};
    void (*handler)(int);
};

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
