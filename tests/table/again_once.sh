#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test, and once more if it fails: for the recorded-sound test, where a machine busy
# elsewhere can now and then split one click in a recording of sixty. A real fault (clicks
# lost, cut or never back) fails both runs; both outputs are kept in the log.
#   again_once.sh TEST [ARG...]
set -uo pipefail
"$@" && exit 0
echo "again_once: failed once; running it again to tell a fault from a busy machine" >&2
"$@"
