#include "platform/LazyLibrary.h"
#include "platform/Error.h"

#include <dlfcn.h>

namespace platform {

namespace {

QString loaderText()
{
    const char *text = ::dlerror();
    return text ? QString::fromLocal8Bit(text) : QString();
}

} // namespace

void LazyLibrary::open()
{
    std::call_once(m_once, [this] {
        ::dlerror();   // a text left by an earlier call is not ours
        m_handle = ::dlopen(m_fileName, RTLD_NOW | RTLD_LOCAL);
        if (!m_handle)
            m_reason = loaderText();
    });
    if (!m_handle)
        throw RuntimeError(err::LibraryNotLoaded,
                           QStringLiteral("Impossibile caricare la libreria %1: la libreria non è installata o "
                                          "non può essere aperta.")
                               .arg(QString::fromLocal8Bit(m_fileName)),
                           m_reason);
}

void *LazyLibrary::address(const char *name)
{
    open();
    ::dlerror();
    void *address = ::dlsym(m_handle, name);
    if (!address) {
        const QString detail = loaderText();
        throw RuntimeError(err::LibraryFunctionMissing,
                           QStringLiteral("Impossibile caricare la libreria %1: manca la funzione %2 (la versione "
                                          "installata non è compatibile).")
                               .arg(QString::fromLocal8Bit(m_fileName), QString::fromLatin1(name)),
                           detail);
    }
    return address;
}

} // namespace platform
