#pragma once
// Finding a window's control by its name, failing the test when it is absent.
#include <QString>
#include <QWidget>
#include <gtest/gtest.h>

namespace testenv {

template <class T>
T *ctl(QWidget *w, const QString &name)
{
    T *c = w->findChild<T *>(name);
    EXPECT_NE(c, nullptr) << name.toStdString();
    return c;
}

template <class T>
T *ctl(QWidget *w, const char *name)
{
    return ctl<T>(w, QString::fromLatin1(name));
}

} // namespace testenv
