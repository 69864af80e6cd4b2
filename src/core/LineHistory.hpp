#pragma once
// A value that remembers the main-script line it was set on, so the editor can rewind it.

#include <iterator>
#include <map>

namespace crv {

/** What a history needs to know about the engine at the moment it is read or written. */
namespace history {
/** The main parser's current line (readlineno), or 0 when there is no parser. */
int currentLine();
/** True while playing (game mode), false while editing or before a novel state exists. */
bool gameMode();
/** The main-script line at which play started (SysVars gameStartLine). */
int gameStartLine();
} // namespace history

/**
 * An ordered map from a main-script line to a value, with a default.
 *
 * Editor (game mode off): set records at the main parser's current line, and a trimming get forgets
 * every entry after that line. Game mode: a plain set overwrites the single entry at
 * gameStartLine + 1, and an appending set takes the key after the last one.
 */
template <typename T>
class LineHistory {
public:
    using Map = std::map<int, T>;

    LineHistory() = default;
    explicit LineHistory(T defaultValue) : m_default(std::move(defaultValue)) {}

    /** Records value under the line the rules above choose; returns the stored value. */
    T& set(T value, bool append = false) {
        int key;
        if (!history::gameMode())
            key = history::currentLine();
        else if (!append || m_entries.empty())
            key = history::gameStartLine() + 1;
        else
            key = std::prev(m_entries.end())->first + 1;
        T& slot = m_entries[key];
        slot = std::move(value);
        return slot;
    }

    /** Editor only: forgets every entry recorded after the main parser's current line. */
    void trim() {
        if (history::gameMode())
            return;
        m_entries.erase(m_entries.upper_bound(history::currentLine()), m_entries.end());
    }

    /** The latest value, or the default when empty; trims first unless told not to. */
    T& get(bool trimFirst = true) {
        if (trimFirst)
            trim();
        return m_entries.empty() ? m_default : std::prev(m_entries.end())->second;
    }

    /** Removes every entry at line or later, in any mode. */
    void eraseFrom(int line) { m_entries.erase(m_entries.lower_bound(line), m_entries.end()); }

    /** The smallest key, or -1 when empty. */
    int firstLine() const { return m_entries.empty() ? -1 : m_entries.begin()->first; }
    /** The largest key, or -1 when empty. */
    int lastLine() const { return m_entries.empty() ? -1 : std::prev(m_entries.end())->first; }

    bool empty() const { return m_entries.empty(); }
    std::size_t size() const { return m_entries.size(); }
    void clear() { m_entries.clear(); }

    /** Direct access for walks in key order (tweens) and for save slots. */
    Map& entries() { return m_entries; }
    const Map& entries() const { return m_entries; }
    const T& defaultValue() const { return m_default; }

private:
    Map m_entries;
    T m_default{};
};

} // namespace crv
