// The desktop program as main() puts it together (shell/widgets/program.h), in a data folder and a
// registry of its own, with a sound output that records what it was asked to play. restart() closes
// the window as a user would (config.ini and the registry are written) and starts a new program on
// the same folders. For widget tests only.
#pragma once

#include "platform/sound_output.h"
#include "shell/command_line.h"
#include "shell/widgets/main_window.h"
#include "shell/widgets/program.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestovan::test {

struct RecordingSoundOutput : SoundOutput {
    std::vector<std::string> played;
    std::vector<std::string> waited_for;
    void play_file(const std::string& path) override { played.push_back(path); }
    void play_file_and_wait(const std::string& path, std::chrono::milliseconds) override
    {
        waited_for.push_back(path);
    }
};

struct ProgramHarness {
    ProgramHarness()
    {
        // The registry stand-in belongs to this program and its restarts only.
        if (const char* before = std::getenv("KESTOVAN_REGISTRY_DIR"))
            registry_before = before;
        setenv("KESTOVAN_REGISTRY_DIR", (folder.path().toStdString() + "/registry").c_str(), 1);
    }
    ~ProgramHarness()
    {
        stop();
        // The program made its data folder the working folder; that folder goes with this harness.
        std::filesystem::current_path(working_folder);
        if (registry_before)
            setenv("KESTOVAN_REGISTRY_DIR", registry_before->c_str(), 1);
        else
            unsetenv("KESTOVAN_REGISTRY_DIR");
    }

    // Starts the program with these command-line words; false when it did not open its window.
    bool start(const std::vector<std::string>& words = {})
    {
        program = std::make_unique<Program>(sounds);
        int exit_code = 0;
        return program->start(parse_command_line(command_line_text(words)), data_folder(), exit_code);
    }
    // Closes the window (Quit) and lets the program end.
    void stop()
    {
        if (!program)
            return;
        if (MainWindow* w = program->window())
            w->close();
        program.reset();
    }
    bool restart(const std::vector<std::string>& words = {})
    {
        stop();
        return start(words);
    }

    [[nodiscard]] std::filesystem::path data_folder() const { return folder.path().toStdString() + "/data"; }
    MainWindow& window() { return *program->window(); }
    Application& app() { return program->app(); }
    template <class W>
    W* child(const char* name)
    {
        return window().findChild<W*>(QString::fromLatin1(name));
    }

    // A test before may have left the process in a folder that is gone.
    static std::filesystem::path usable_working_folder()
    {
        std::error_code ec;
        std::filesystem::path here = std::filesystem::current_path(ec);
        if (ec) {
            here = std::filesystem::temp_directory_path();
            std::filesystem::current_path(here);
        }
        return here;
    }

    std::filesystem::path working_folder = usable_working_folder();
    std::optional<std::string> registry_before;
    QTemporaryDir folder;
    RecordingSoundOutput sounds;
    std::unique_ptr<Program> program;
};

} // namespace kestovan::test
