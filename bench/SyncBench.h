#pragma once

#include <QString>

// Times the sync: through the transport seam against a server stand-in in
// the process at 1 000, 10 000 and 100 000 persons (the client's own time
// and memory per person), and against Radicale on 127.0.0.1 (started with
// radicaleScript) beside a plain client that PUTs the same cards. Prints
// each figure beside its target; returns how many were missed.
int benchSync(const QString& radicaleScript);

// The child process that syncs persons through the stand-in and prints
// its figures.
// With photos every person has a picture of 40 KiB.
int syncBenchChild(int persons, bool photos);
