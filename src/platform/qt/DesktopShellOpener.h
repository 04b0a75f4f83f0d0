#pragma once

#include "platform/ShellOpener.h"

class DesktopShellOpener : public ShellOpener {
public:
    void open(const QString& target) override;
};
