#include "platform/FontsAhead.h"
#include "platform/Aside.h"

#include <QFontDatabase>
#include <QStringList>

#include <dlfcn.h>

namespace platform {

namespace {
// The one at work, if any; read and written by the main thread only.
FontsAhead *g_current = nullptr;
} // namespace

bool FontsAhead::loadConfiguration()
{
    // The toolkit finds its fonts through the system's font configuration
    // library, already loaded with it; it is looked up rather than linked, so
    // a toolkit built without it costs nothing. Loading it first here means
    // the toolkit finds it loaded; the library keeps one configuration.
    using Init = int (*)();
    const auto init = reinterpret_cast<Init>(dlsym(RTLD_DEFAULT, "FcInit"));
    return init && init() != 0;
}

FontsAhead::FontsAhead()
{
    m_thread = StartAside([this] {
        loadConfiguration();
        std::unique_lock<std::mutex> lock(m_mutex);
        m_configured = true;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_next != Next::Wait; });
        const bool fill = m_next == Next::FillList;
        lock.unlock();
        if (fill)
            QFontDatabase::families();
    });
    g_current = this;
}

void FontsAhead::awaitConfiguration()
{
    if (FontsAhead *f = g_current) {
        std::unique_lock<std::mutex> lock(f->m_mutex);
        f->m_changed.wait(lock, [f] { return f->m_configured; });
    }
}

FontsAhead::~FontsAhead()
{
    if (g_current == this)
        g_current = nullptr;
    go(false);
    finish();
}

void FontsAhead::go(bool fillList)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_next == Next::Wait)
            m_next = fillList ? Next::FillList : Next::Stop;
    }
    m_changed.notify_all();
}

void FontsAhead::finish()
{
    if (m_thread.joinable())
        m_thread.join();
}

FontsAhead::Listing::Listing(FontsAhead &fonts) : m_fonts(fonts)
{
    m_fonts.go(true);
}

FontsAhead::Listing::~Listing()
{
    m_fonts.finish();
}

} // namespace platform
