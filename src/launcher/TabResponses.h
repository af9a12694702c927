// Which of the launcher's game frames answer. The launcher asks each frame on every timer tick with a
// message answered asynchronously; a frame whose answer has been outstanding for longer than the limit
// does not respond, until it answers again. Portable; Window is the window handle type (a number in
// tests), times are milliseconds of a wrapping 32-bit clock.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace zarn {

// How long a frame may take to answer before it counts as not responding (as Windows counts a window).
inline constexpr uint32_t NotRespondingAfterMs = 5000;

template <typename Window> class TabResponses {
  public:
    struct Tick {
        std::vector<Window> Ask;              // to be asked now
        std::vector<Window> StoppedAnswering; // not responding from now on
    };

    // A timer tick at `now` for these frames: the ones with no question outstanding are asked again,
    // and the ones whose question has waited too long stop answering. Frames no longer given are
    // forgotten.
    Tick OnTick(const std::vector<Window>& frames, uint32_t now, uint32_t limit = NotRespondingAfterMs) {
        Entries.erase(std::remove_if(Entries.begin(), Entries.end(),
                                     [&](const Entry& e) {
                                         return std::find(frames.begin(), frames.end(), e.Frame) ==
                                                frames.end();
                                     }),
                      Entries.end());
        Tick tick;
        for (const Window& frame : frames) {
            Entry& e = EntryOf(frame);
            if (!e.Asked) {
                e.Asked = true;
                e.AskedAt = now;
                tick.Ask.push_back(frame);
            } else if (!e.NotResponding && now - e.AskedAt > limit) {
                e.NotResponding = true;
                tick.StoppedAnswering.push_back(frame);
            }
        }
        return tick;
    }
    // The frame answered; true when it had been counted as not responding.
    bool Answered(const Window& frame) {
        Entry* e = Find(frame);
        if (!e)
            return false;
        e->Asked = false;
        const bool recovered = e->NotResponding;
        e->NotResponding = false;
        return recovered;
    }
    // The frame did not answer a question asked outside the ticks; true when that is news.
    bool MarkNotResponding(const Window& frame) {
        Entry& e = EntryOf(frame);
        const bool news = !e.NotResponding;
        e.NotResponding = true;
        return news;
    }
    bool NotResponding(const Window& frame) const {
        const auto e =
            std::find_if(Entries.begin(), Entries.end(), [&](const Entry& x) { return x.Frame == frame; });
        return e != Entries.end() && e->NotResponding;
    }

  private:
    struct Entry {
        Window Frame{};
        bool Asked = false;
        uint32_t AskedAt = 0;
        bool NotResponding = false;
    };
    Entry* Find(const Window& frame) {
        for (Entry& e : Entries)
            if (e.Frame == frame)
                return &e;
        return nullptr;
    }
    Entry& EntryOf(const Window& frame) {
        if (Entry* e = Find(frame))
            return *e;
        Entries.push_back(Entry{frame});
        return Entries.back();
    }
    std::vector<Entry> Entries;
};

} // namespace zarn
