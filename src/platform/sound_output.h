// Playing a sound file: libcanberra, which plays .wav and Ogg (.oga/.ogg) files through the
// desktop's sound server. Playing never reports an error to the user: without a sound device, or
// with a file that cannot be played, nothing is heard.
#pragma once

#include <chrono>
#include <memory>
#include <string>

namespace kestovan {

class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Starts playing the file and returns at once.
    virtual void play_file(const std::string& path) = 0;
    // Plays the file and returns when it has ended, or after at most `limit`.
    virtual void play_file_and_wait(const std::string& path, std::chrono::milliseconds limit) = 0;
};

// The longest the program waits for its exit sound.
inline constexpr std::chrono::milliseconds SOUND_WAIT_LIMIT{3000};

// The desktop's player. The context is made on first use, so a program that plays nothing never
// talks to the sound server.
class CanberraSoundOutput : public SoundOutput {
public:
    CanberraSoundOutput();
    ~CanberraSoundOutput() override;
    CanberraSoundOutput(const CanberraSoundOutput&) = delete;
    CanberraSoundOutput& operator=(const CanberraSoundOutput&) = delete;

    void play_file(const std::string& path) override;
    void play_file_and_wait(const std::string& path, std::chrono::milliseconds limit) override;

private:
    struct Context;
    bool ready();
    std::unique_ptr<Context> context_;
    bool failed_ = false;
};

} // namespace kestovan
