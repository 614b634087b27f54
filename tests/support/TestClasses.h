#pragma once
// The main() of an executable that holds several test classes: each class runs in turn, in one
// application object that the caller sets up, and the exit status says whether any failed.
// Classes declared in a header are named as template arguments; classes kept inside their own
// source file are reached through a function that makes one.

#include <QObject>
#include <QTest>

#include <initializer_list>
#include <memory>

inline int runTestObjects(int argc, char** argv, std::initializer_list<QObject* (*)()> makers) {
    int status = 0;
    for (auto make : makers) {
        const std::unique_ptr<QObject> test(make());
        status |= QTest::qExec(test.get(), argc, argv);
    }
    return status;
}

template <class... Tests>
int runTestClasses(int argc, char** argv) {
    return runTestObjects(argc, argv, {+[]() -> QObject* { return new Tests; }...});
}
