#include "platform/sound_output.h"

#include <canberra.h>
#include <condition_variable>
#include <mutex>

namespace kestovan {

namespace {

// Ids of the sounds this context plays; the exit sound is waited for by its own.
constexpr std::uint32_t EVENT_SOUND_ID = 1;
constexpr std::uint32_t WAITED_SOUND_ID = 2;

// Filled from canberra's own thread when a waited-for sound ends.
struct Finished {
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
};

void on_finished(ca_context*, std::uint32_t, int, void* data)
{
    auto* finished = static_cast<Finished*>(data);
    const std::lock_guard lock(finished->mutex);
    finished->done = true;
    finished->changed.notify_all();
}

} // namespace

struct CanberraSoundOutput::Context {
    ca_context* handle = nullptr;
    ~Context()
    {
        if (handle)
            ca_context_destroy(handle);
    }
};

CanberraSoundOutput::CanberraSoundOutput() = default;
CanberraSoundOutput::~CanberraSoundOutput() = default;

bool CanberraSoundOutput::ready()
{
    if (context_)
        return true;
    if (failed_)
        return false;
    auto context = std::make_unique<Context>();
    if (ca_context_create(&context->handle) != CA_SUCCESS || !context->handle) {
        context->handle = nullptr;
        failed_ = true;
        return false;
    }
    ca_context_change_props(context->handle, CA_PROP_APPLICATION_NAME, "Kestovan FTP", nullptr);
    context_ = std::move(context);
    return true;
}

void CanberraSoundOutput::play_file(const std::string& path)
{
    if (path.empty() || !ready())
        return;
    ca_context_play(context_->handle, EVENT_SOUND_ID, CA_PROP_MEDIA_FILENAME, path.c_str(), nullptr);
}

void CanberraSoundOutput::play_file_and_wait(const std::string& path, std::chrono::milliseconds limit)
{
    if (path.empty() || !ready())
        return;
    // The state outlives this call: canberra may still call back after the wait gave up.
    static Finished finished;
    {
        const std::lock_guard lock(finished.mutex);
        finished.done = false;
    }
    ca_proplist* properties = nullptr;
    if (ca_proplist_create(&properties) != CA_SUCCESS)
        return;
    ca_proplist_sets(properties, CA_PROP_MEDIA_FILENAME, path.c_str());
    const int started =
        ca_context_play_full(context_->handle, WAITED_SOUND_ID, properties, on_finished, &finished);
    ca_proplist_destroy(properties);
    if (started != CA_SUCCESS)
        return;
    bool done = false;
    {
        std::unique_lock lock(finished.mutex);
        done = finished.changed.wait_for(lock, limit, [] { return finished.done; });
    }
    // Outside the lock: cancelling may call on_finished at once.
    if (!done)
        ca_context_cancel(context_->handle, WAITED_SOUND_ID);
}

} // namespace kestovan
