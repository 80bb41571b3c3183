#pragma once

#include <QDir>
#include <QString>

// Renders the main window with its links in use: connected over serial to
// the simulated meter (varlo-cli sim, whose program is `varloCli`), connected
// over USB to a scripted cable, and with the message after a port that
// refuses access. Returns whether every picture was written.
bool ShootLinks(const QDir& folder, const QString& varloCli);
