#!/usr/bin/env bash
# Installs what the Windows build and its tests need, when any is missing.
exec "$(dirname "$0")/install-deps.sh" windows
