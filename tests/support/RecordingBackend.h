// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Older suites call the recording fake a backend.
#include "RecordingInhibitor.h"
using RecordingBackend = RecordingInhibitor;
