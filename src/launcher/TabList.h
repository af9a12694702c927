// The launcher's tabs: the frames that registered and the account titles that logged in, kept in
// step, with the selection rules. Portable; Window is the window handle type (a number in tests).
//
// A login sends its title before its frame registers, and logins run one at a time (each is modal on
// the launcher), so at most one title waits for its frame. The lists are kept in step at every event
// so that a tab never shows another account's title:
//  - a title that arrives while an earlier one still waits replaces it (the earlier login's frame
//    never came, its process failed after the login);
//  - a frame that registers with no title waiting gets an empty title.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/AccountTitle.h"

namespace zarn {

inline constexpr int MaxTabs = 3;

// What a frame that asks to register becomes. Only a process the launcher started and still waits for
// may register: the pending login (loginPid) as a tab while fewer than MaxTabs are registered, the
// hall process (hallPid) as the hall. A process id of 0 stands for none.
enum class FrameKind { Refused, Tab, Hall };
FrameKind ClassifyFrame(uint32_t framePid, uint32_t loginPid, uint32_t hallPid, int tabCount);
// "/login.htm?tag=zarn&ver=<version>&uid=<account>&index=<n>", the account percent-encoded.
std::wstring LoginReportPath(const std::wstring& account, int index);

template <typename Window> class TabList {
  public:
    int Count() const { return static_cast<int>(Windows.size()); }
    bool Empty() const { return Windows.empty(); }
    Window WindowAt(int i) const { return Valid(i) ? Windows[i] : Window{}; }
    // The index of the window's tab, or -1.
    int IndexOf(Window window) const {
        for (int i = 0; i < Count(); ++i)
            if (Windows[static_cast<size_t>(i)] == window)
                return i;
        return -1;
    }
    // The title shown on tab i (empty for a frame that came without one).
    std::wstring TitleAt(int i) const { return Valid(i) ? Titles[i] : std::wstring(); }
    const std::vector<Window>& TabWindows() const { return Windows; }
    const std::vector<std::wstring>& TabTitles() const { return Titles; }
    // The number of titles (the registered tabs' and the one waiting for its frame).
    int TitleCount() const { return static_cast<int>(Titles.size()); }

    // Whether the title is open here: shown on a tab, or waiting for its frame.
    bool HasTitle(const std::wstring& title) const {
        for (const auto& t : Titles)
            if (t == title)
                return true;
        return false;
    }
    // Takes a logged-in account's title; false (nothing changed) when it is open here already.
    bool AcceptTitle(const std::wstring& title) {
        if (HasTitle(title))
            return false;
        DropWaitingTitle(); // an earlier title whose frame never came goes
        Titles.push_back(title);
        return true;
    }
    // Forgets the title that waits for its frame, if any: its login ended without one.
    void DropWaitingTitle() { Titles.resize(Windows.size()); }
    // Appends a registered frame; the index of its tab.
    int Register(Window window) {
        Windows.push_back(window);
        if (Titles.size() < Windows.size())
            Titles.resize(Windows.size());
        return Count() - 1;
    }
    // Removes tab i; the index to select afterwards (i, or the new last tab). -1 when i is no tab.
    int Remove(int i) {
        if (!Valid(i))
            return -1;
        Windows.erase(Windows.begin() + i);
        Titles.erase(Titles.begin() + i);
        if (i >= Count())
            i = Count() - 1;
        return i;
    }
    // The tab after `current`, wrapping.
    int Next(int current) const { return Empty() ? 0 : (current + 1) % Count(); }

  private:
    bool Valid(int i) const { return i >= 0 && i < Count(); }
    std::vector<Window> Windows;
    std::vector<std::wstring> Titles;
};

} // namespace zarn
