#pragma once
// The system's fonts made ready on a thread of their own while the program
// starts, so that the main window's first layout does not wait for them.
//
// Made before the application object: the thread first loads the system's
// font configuration (the longest part: its files are parsed), which needs no
// application. Once the application exists (a Listing is made), it also fills
// the toolkit's font list. The toolkit serialises the users of its font list,
// so whichever of the two threads comes first fills it. The configuration is
// not: the main thread calls awaitConfiguration() before its first layout,
// so that it waits for the configuration rather than loading it again.
//
//     platform::FontsAhead fonts;
//     QApplication app(argc, argv);
//     const platform::FontsAhead::Listing listing(fonts);
#include <condition_variable>
#include <mutex>
#include <thread>

namespace platform {

class FontsAhead {
public:
    FontsAhead();
    // Waits for the thread. Without a Listing the toolkit's list is left
    // alone (the application may never have been made).
    ~FontsAhead();
    FontsAhead(const FontsAhead &) = delete;
    FontsAhead &operator=(const FontsAhead &) = delete;

    // Made once the application object exists, and ended before it: the
    // thread fills the toolkit's font list, and is waited for at the end.
    class Listing {
    public:
        explicit Listing(FontsAhead &fonts);
        ~Listing();
        Listing(const Listing &) = delete;
        Listing &operator=(const Listing &) = delete;

    private:
        FontsAhead &m_fonts;
    };

    // Loads the system's font configuration now, once per process; false when
    // the toolkit here does not use that library (nothing is done then).
    static bool loadConfiguration();
    // Waits until the configuration is loaded when a FontsAhead is at work;
    // returns at once otherwise. Main thread only, as are the constructor and
    // the destructor.
    static void awaitConfiguration();

private:
    void go(bool fillList);
    void finish();

    enum class Next { Wait, FillList, Stop };
    std::mutex m_mutex;
    std::condition_variable m_changed;
    Next m_next = Next::Wait;
    bool m_configured = false;
    std::thread m_thread;
};

} // namespace platform
