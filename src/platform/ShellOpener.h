#pragma once

#include <QString>

// The desktop's "open" action for web and mail addresses.
class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    virtual void open(const QString& target) = 0;
};
