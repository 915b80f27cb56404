// A program folder for tests whose three tools are the scriptable fake tool.
#pragma once

#include <signal.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
#include <vector>

#include "ConvertWorker.h"
#include "TempFolder.h"

class FakeTools {
public:
    FakeTools() {
        for (const char* name : {"tarv.patch3", "tarv.patch4", "tarv.patch5"}) {
            std::filesystem::copy_file(FAKE_TOOL_PATH, m_folder.Path() + name);
        }
    }

    // Puts a copy of a program beside the fake tools, so it takes them for its own.
    std::string Install(const std::string& program) const {
        const std::string path =
            m_folder.Path() + std::filesystem::path(program).filename().string();
        std::filesystem::copy_file(program, path);
        return path;
    }

    std::string Folder() const { return m_folder.Path(); }

    // The script of the run with this index, of every run of one tool ("tarv.patch3"), or of
    // every run without its own ("default").
    void Script(const std::string& run, const std::string& lines) const {
        std::ofstream(m_folder.Path() + "script." + run) << lines;
    }

    // Each run's arguments, in the order the runs happened.
    std::vector<std::vector<std::string>> Calls() const {
        std::vector<std::vector<std::string>> calls;
        std::ifstream log(m_folder.Path() + "calls.log");
        std::string line;
        while (std::getline(log, line)) {
            std::vector<std::string> args;
            std::stringstream parts(line);
            std::string part;
            while (std::getline(parts, part, '\x1f')) {
                args.push_back(part);
            }
            calls.push_back(args);
        }
        return calls;
    }

    // True while the run that wrote pid.N (script line "pid") is still alive.
    bool RunIsAlive(int run) const {
        std::ifstream file(m_folder.Path() + "pid." + std::to_string(run));
        int pid = 0;
        file >> pid;
        return pid > 0 && kill(pid, 0) == 0;
    }

private:
    TempFolder m_folder;
};

// Records the worker's reports as the integer protocol renders them, with each one's step.
class RecordingSink : public tarv::ProgressSink {
public:
    struct Report {
        int entry;
        int value;
        tarv::StepType step;
        bool operator==(const Report&) const = default;
    };

    explicit RecordingSink(const tarv::BatchState& state) : m_state(state) {}

    void OnBatchReport(const tarv::BatchReport& report) override {
        if (onReport) {
            onReport(report.Entry(), report.Value());
        }
        std::lock_guard lock(m_mutex);
        m_reports.push_back({report.Entry(), report.Value(), report.Step()});
        m_full.push_back(report);
        m_changed.notify_all();
    }

    // Every report as it came, with its ticket, key, output and text.
    std::vector<tarv::BatchReport> FullReports() const {
        std::lock_guard lock(m_mutex);
        return m_full;
    }
    // The reason given with the failure of this entry; empty when there was none.
    std::string FailureOf(int entry) const {
        for (const tarv::BatchReport& r : FullReports()) {
            if (r.Entry() == entry && r.kind == tarv::BatchReport::Kind::Failed)
                return r.text;
        }
        return {};
    }

    // Called first with every report, on the worker's thread.
    std::function<void(int entry, int value)> onReport;

    void OnBatchEnded(uint64_t batch) override {
        std::lock_guard lock(m_mutex);
        m_endedBatches.push_back(batch);
        ++m_endings;
        m_busyAtEnd = m_state.busy;
    }
    int Endings() const {
        std::lock_guard lock(m_mutex);
        return m_endings;
    }
    std::vector<uint64_t> EndedBatches() const {
        std::lock_guard lock(m_mutex);
        return m_endedBatches;
    }
    bool BusyAtEnd() const {
        std::lock_guard lock(m_mutex);
        return m_busyAtEnd;
    }

    std::vector<Report> Reports() const {
        std::lock_guard lock(m_mutex);
        return m_reports;
    }

    // Waits (at most 10 s) until some report came for the entry.
    bool WaitForEntry(int entry) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [&] {
            for (const Report& r : m_reports) {
                if (r.entry == entry)
                    return true;
            }
            return false;
        });
    }

private:
    const tarv::BatchState& m_state;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Report> m_reports;
    std::vector<tarv::BatchReport> m_full;
    std::vector<uint64_t> m_endedBatches;
    int m_endings = 0;
    bool m_busyAtEnd = false;
};
