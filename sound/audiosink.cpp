// SPDX-License-Identifier: GPL-3.0-or-later
#include "audiosink.h"

#include "soundgenerator.h"

#include <QVarLengthArray>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <pulse/context.h>
#include <pulse/mainloop.h>
#include <pulse/stream.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace {

// What the server is given ahead, and so about how late a change is heard;
// the thread tops it up every RequestMilliseconds. Each time the server runs
// dry (the machine too busy to feed it in time, or the server itself late)
// the buffer doubles, up to the largest, and the next streams keep it: one
// click is heard on such a machine, not one every few seconds.
constexpr int BufferMilliseconds = 60;
constexpr int LargestBufferMilliseconds = 240;
constexpr int RequestMilliseconds = 10;
// The longest the thread sleeps between looks at its orders, and how often
// it asks the server how far it has played.
constexpr int LoopMicroseconds = 10000;
constexpr qint64 TimingMicroseconds = 20000;
// A stream that has not opened by then, or whose played position has not
// moved for as long, has failed: the server is gone, frozen or without a sink.
constexpr qint64 OpenTimeoutMicroseconds = 250000;
constexpr qint64 StallMicroseconds = 500000;
// Between two positions from the server, the time heard goes on by the
// clock, but never further than this past the last one.
constexpr qint64 ExtrapolateMicroseconds = 60000;
// The fade-out, and the server's buffer played out after it.
constexpr int ReleaseMilliseconds = 250;
// How long a look at the server may take, and how soon to look again where
// there was none.
constexpr qint64 LookTimeoutMicroseconds = 1000000;
constexpr int LookAgainMilliseconds = 2000;
// How long the destructor waits for the threads to end.
constexpr int EndMilliseconds = 300;
// How often the window looks at what the threads have told it.
constexpr int WatchMilliseconds = 20;
constexpr int NullPullMilliseconds = 10;

qint64 now()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::atomic<bool> leftRunning{false};

// The stream's thread wakes every few milliseconds to keep the server's
// short buffer filled; on a machine whose cores are busy with other work it
// asks to come first where it may (as root, or where the desktop allows
// raising priority), and simply runs at normal priority where not.
void preferThisThread()
{
    const auto thread = id_t(syscall(SYS_gettid));
    setpriority(PRIO_PROCESS, thread, -11);
}

} // namespace

bool AudioSink::nullDevice = false;
QByteArray *AudioSink::nullRecordingTarget = nullptr;

// What the window and one stream's thread share. The window takes the lock
// only to hand over an order; the thread takes it only to read its orders,
// never while it waits for the server.
struct AudioSink::Stream
{
    enum State { Opening, Playing, Failed };

    std::mutex lock;
    pa_mainloop *loop = nullptr; // while the thread runs
    std::vector<Baseband> changes;
    bool fadeOut = false;
    bool quit = false;

    std::atomic<int> state{Opening};
    std::atomic<qint64> played{0};   // microseconds heard, as of playedAt
    std::atomic<qint64> playedAt{0}; // steady clock
    std::atomic<qint64> movedAt{0};  // when the position last moved on
    std::atomic<bool> done{false};
    std::atomic<int> buffer{BufferMilliseconds}; // what the server is given ahead
    std::atomic<int> dropouts{0};                // since the window last looked

    // The window's own.
    const qint64 openedAt = now();
    bool released = false;

    // Hands the thread an order and wakes it.
    template <typename Order> void send(Order order)
    {
        const std::lock_guard<std::mutex> guard(lock);
        order();
        if (loop)
            pa_mainloop_wakeup(loop);
    }
};

// One connection and stream, on the thread that runs it from start to end;
// a look at the server stops at the connection. Everything here is called
// on that thread.
class AudioSink::Player
{
public:
    Player(std::shared_ptr<Stream> shared, const Baseband &signal, bool probe)
        : shared(std::move(shared)), first(signal), probe(probe)
    {}

    void run()
    {
        if (!probe)
            preferThisThread();
        pa_mainloop *const mainloop = pa_mainloop_new();
        if (!mainloop) {
            shared->state = Stream::Failed;
            shared->done = true;
            return;
        }
        {
            const std::lock_guard<std::mutex> guard(shared->lock);
            shared->loop = mainloop;
        }
        generator = std::make_unique<SoundGenerator>(SampleRate, 1);
        generator->start(first);
        context = pa_context_new(pa_mainloop_get_api(mainloop), "Quarnel");
        if (context) {
            pa_context_set_state_callback(context, &Player::contextChanged, this);
            // The server the desktop names (PULSE_SERVER, its runtime
            // folder); never one started for us.
            if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
                fail();
        } else {
            fail();
        }
        while (!finished && takeOrders()) {
            if (pa_mainloop_prepare(mainloop, LoopMicroseconds) < 0 ||
                pa_mainloop_poll(mainloop) < 0 || pa_mainloop_dispatch(mainloop) < 0)
                fail();
            askPosition();
        }
        close();
        {
            const std::lock_guard<std::mutex> guard(shared->lock);
            shared->loop = nullptr;
        }
        pa_mainloop_free(mainloop);
        generator.reset();
        shared->done = true;
    }

private:
    static constexpr pa_sample_spec Format{PA_SAMPLE_S16LE, SampleRate, 1};

    // The window's orders; false once it lets the stream go.
    bool takeOrders()
    {
        std::vector<Baseband> changes;
        bool fadeOut = false;
        {
            const std::lock_guard<std::mutex> guard(shared->lock);
            if (shared->quit)
                return false;
            std::swap(changes, shared->changes);
            fadeOut = shared->fadeOut;
        }
        for (const Baseband &signal : changes)
            generator->change(signal);
        if (fadeOut)
            generator->fadeOut();
        return true;
    }

    void fail()
    {
        shared->state = Stream::Failed;
        finished = true;
    }

    static void contextChanged(pa_context *context, void *self)
    {
        auto *const player = static_cast<Player *>(self);
        switch (pa_context_get_state(context)) {
        case PA_CONTEXT_READY:
            if (player->probe) {
                player->shared->state = Stream::Playing;
                player->finished = true;
            } else {
                player->openStream();
            }
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            player->fail();
            break;
        default:
            break;
        }
    }

    void openStream()
    {
        stream = pa_stream_new(context, "Звук", &Format, nullptr);
        if (!stream)
            return fail();
        pa_stream_set_state_callback(stream, &Player::streamChanged, this);
        pa_stream_set_write_callback(stream, &Player::writeRequested, this);
        pa_stream_set_underflow_callback(stream, &Player::ranDry, this);
        const pa_buffer_attr buffer = bufferOf(shared->buffer);
        // No device named: the server's default output now, which follows a
        // projector or a headset plugged in since the last press.
        if (pa_stream_connect_playback(stream, nullptr, &buffer, PA_STREAM_ADJUST_LATENCY, nullptr,
                                       nullptr) < 0)
            fail();
    }

    static pa_buffer_attr bufferOf(int milliseconds)
    {
        pa_buffer_attr buffer;
        buffer.maxlength = uint32_t(-1);
        buffer.tlength = uint32_t(pa_usec_to_bytes(pa_usec_t(milliseconds) * 1000, &Format));
        buffer.prebuf = uint32_t(-1);
        buffer.minreq = uint32_t(pa_usec_to_bytes(RequestMilliseconds * 1000, &Format));
        buffer.fragsize = uint32_t(-1);
        return buffer;
    }

    static void ranDry(pa_stream *stream, void *self)
    {
        Stream &shared = *static_cast<Player *>(self)->shared;
        ++shared.dropouts;
        const int larger = std::min(2 * shared.buffer, LargestBufferMilliseconds);
        if (larger == shared.buffer)
            return;
        shared.buffer = larger;
        const pa_buffer_attr buffer = bufferOf(larger);
        if (pa_operation *const resized =
                pa_stream_set_buffer_attr(stream, &buffer, nullptr, nullptr))
            pa_operation_unref(resized);
    }

    static void streamChanged(pa_stream *stream, void *self)
    {
        auto *const player = static_cast<Player *>(self);
        switch (pa_stream_get_state(stream)) {
        case PA_STREAM_READY:
            player->shared->movedAt = now();
            player->shared->state = Stream::Playing;
            break;
        case PA_STREAM_FAILED:
        case PA_STREAM_TERMINATED:
            player->fail();
            break;
        default:
            break;
        }
    }

    static void writeRequested(pa_stream *stream, size_t bytes, void *self)
    {
        auto *const player = static_cast<Player *>(self);
        void *data = nullptr;
        if (pa_stream_begin_write(stream, &data, &bytes) < 0 || !data)
            return player->fail();
        bytes -= bytes % 2;
        player->generator->read(static_cast<char *>(data), qint64(bytes));
        if (pa_stream_write(stream, data, bytes, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            player->fail();
    }

    // Asks the server how far it has played, at most one question at a time,
    // so that a frozen server is not sent a pile of them.
    void askPosition()
    {
        if (!stream || timing || pa_stream_get_state(stream) != PA_STREAM_READY)
            return;
        const qint64 t = now();
        if (t - askedAt < TimingMicroseconds)
            return;
        askedAt = t;
        timing = pa_stream_update_timing_info(stream, &Player::positionKnown, this);
    }

    static void positionKnown(pa_stream *stream, int success, void *self)
    {
        auto *const player = static_cast<Player *>(self);
        pa_operation_unref(player->timing);
        player->timing = nullptr;
        pa_usec_t played = 0;
        if (!success || pa_stream_get_time(stream, &played) < 0)
            return;
        Stream &shared = *player->shared;
        const qint64 t = now();
        if (qint64(played) > shared.played)
            shared.movedAt = t;
        shared.played = qint64(played);
        shared.playedAt = t;
    }

    void close()
    {
        if (timing) {
            pa_operation_cancel(timing);
            pa_operation_unref(timing);
        }
        if (stream) {
            pa_stream_set_state_callback(stream, nullptr, nullptr);
            pa_stream_set_write_callback(stream, nullptr, nullptr);
            pa_stream_set_underflow_callback(stream, nullptr, nullptr);
            pa_stream_disconnect(stream);
            pa_stream_unref(stream);
        }
        if (context) {
            pa_context_set_state_callback(context, nullptr, nullptr);
            pa_context_disconnect(context);
            pa_context_unref(context);
        }
    }

    const std::shared_ptr<Stream> shared;
    const Baseband first;
    const bool probe;
    std::unique_ptr<SoundGenerator> generator;
    pa_context *context = nullptr;
    pa_stream *stream = nullptr;
    pa_operation *timing = nullptr;
    qint64 askedAt = 0;
    bool finished = false;
};

AudioSink::AudioSink(QObject *parent) : QObject(parent)
{
    if (isNull) {
        available = true;
        nullPull.setInterval(NullPullMilliseconds);
        connect(&nullPull, &QTimer::timeout, this, &AudioSink::pullNull);
        nullRelease.setSingleShot(true);
        nullRelease.setInterval(ReleaseMilliseconds);
        connect(&nullRelease, &QTimer::timeout, &nullPull, &QTimer::stop);
        return;
    }
    watching.setInterval(WatchMilliseconds);
    connect(&watching, &QTimer::timeout, this, &AudioSink::watch);
    nextLook.setSingleShot(true);
    nextLook.setInterval(LookAgainMilliseconds);
    connect(&nextLook, &QTimer::timeout, this, &AudioSink::lookForServer);
    lookForServer();
}

AudioSink::~AudioSink()
{
    if (isNull)
        return;
    // Every thread is told to end; one that does not within a moment is left
    // to itself, and never waited for.
    for (const auto &stream : streams)
        release(stream);
    const qint64 deadline = now() + EndMilliseconds * 1000;
    for (const auto &stream : streams) {
        while (!stream->done && now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (!stream->done)
            leftRunning = true;
    }
}

bool AudioSink::threadsLeftRunning()
{
    return leftRunning;
}

std::shared_ptr<AudioSink::Stream> AudioSink::open(const Baseband &signal, bool probe)
{
    auto stream = std::make_shared<Stream>();
    // As large as the last streams ended with.
    stream->buffer = std::max<int>(stream->buffer, buffer);
    try {
        std::thread([stream, signal, probe] { Player(stream, signal, probe).run(); }).detach();
    } catch (const std::system_error &) {
        return nullptr;
    }
    streams.push_back(stream);
    watching.start();
    return stream;
}

void AudioSink::release(const std::shared_ptr<Stream> &stream)
{
    stream->released = true;
    stream->send([&stream] { stream->quit = true; });
}

bool AudioSink::start(const Baseband &signal)
{
    if (isNull) {
        nullRelease.stop();
        nullGenerator = std::make_unique<SoundGenerator>(SampleRate, 1);
        nullGenerator->start(signal);
        nullTaken = 0;
        nullClock.start();
        nullPull.start();
        return true;
    }
    if (!available)
        return false;
    if (current)
        release(current);
    current = open(signal, false);
    return bool(current);
}

void AudioSink::change(const Baseband &signal)
{
    if (nullGenerator && nullPull.isActive())
        nullGenerator->change(signal);
    if (current)
        current->send([this, &signal] { current->changes.push_back(signal); });
}

void AudioSink::stop()
{
    if (isNull) {
        if (nullGenerator)
            nullGenerator->fadeOut();
        nullRelease.start();
        return;
    }
    if (!current)
        return;
    current->send([this] { current->fadeOut = true; });
    QTimer::singleShot(ReleaseMilliseconds, this, [stream = current] { release(stream); });
    current.reset();
}

qint64 AudioSink::playedMicroseconds() const
{
    if (isNull)
        return nullPull.isActive() ? nullClock.nsecsElapsed() / 1000 : 0;
    if (!current || current->state != Stream::Playing || current->playedAt == 0)
        return 0;
    return current->played + qBound<qint64>(0, now() - current->playedAt, ExtrapolateMicroseconds);
}

void AudioSink::watch()
{
    const qint64 t = now();
    if (look && look->state != Stream::Opening) {
        const bool found = look->state == Stream::Playing;
        release(look);
        look.reset();
        if (found != available) {
            available = found;
            emit availabilityChanged(found);
        }
        if (!found)
            nextLook.start();
    } else if (look && t - look->openedAt > LookTimeoutMicroseconds) {
        release(look);
        look.reset();
        nextLook.start();
    }
    if (current) {
        const int state = current->state;
        const bool failing =
            state == Stream::Failed ||
            (state == Stream::Opening && t - current->openedAt > OpenTimeoutMicroseconds) ||
            (state == Stream::Playing && t - current->movedAt > StallMicroseconds);
        if (failing) {
            release(current);
            current.reset();
            emit failed();
        }
    }
    for (const auto &stream : streams) {
        dropoutCount += stream->dropouts.exchange(0);
        buffer = std::max<int>(buffer, stream->buffer);
    }
    // A thread that was let go and has ended is forgotten.
    streams.erase(
        std::remove_if(streams.begin(), streams.end(),
                       [](const std::shared_ptr<Stream> &s) { return s->released && s->done; }),
        streams.end());
    if (streams.empty() && !current && !look)
        watching.stop();
}

void AudioSink::lookForServer()
{
    if (!look)
        look = open(Baseband(), true);
    if (!look)
        nextLook.start();
}

void AudioSink::pullNull()
{
    // What a device playing in real time would have asked for by now.
    const qint64 due = nullClock.nsecsElapsed() * SampleRate / 1000000000;
    QVarLengthArray<char, 4096> scratch;
    while (nullTaken < due) {
        const qint64 frames = qMin<qint64>(due - nullTaken, 2048);
        scratch.resize(int(frames * 2));
        nullGenerator->read(scratch.data(), scratch.size());
        if (nullRecording)
            nullRecording->append(scratch.constData(), scratch.size());
        nullTaken += frames;
    }
}
