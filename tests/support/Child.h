#pragma once

#include <QtTest>
#include <memory>

// The child of a window by its name. A missing one fails the test that asked and hands back a stand-in
// object of the type, so that the test goes on to its end instead of ending the whole executable with a
// null dereference.
template <typename T> T* child(const QObject* parent, const QString& name)
{
    if (T* found = parent ? parent->findChild<T*>(name) : nullptr)
        return found;
    const QByteArray what = "no child \"" + name.toUtf8() + "\" of type " + T::staticMetaObject.className();
    QTest::qFail(what.constData(), __FILE__, __LINE__);
    static T* const standIn = new T;
    return standIn;
}

template <typename T, typename Parent> T* child(const std::unique_ptr<Parent>& parent, const QString& name)
{
    return child<T>(parent.get(), name);
}
