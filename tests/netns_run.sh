#!/bin/sh
# Usage: tests/netns_run.sh <command> [args...]
# Runs the command in a network namespace of its own (only a loopback interface, which is down),
# so that nothing it resolves or sends can leave the machine, and tells it so with LX_NETNS=1.
# Creating the namespace needs root (CI runs as root); elsewhere the command runs as it is and the
# tests that need the isolation skip themselves.
if unshare -n true 2>/dev/null; then
  LX_NETNS=1 exec unshare -n "$@"
fi
echo "netns_run: no network namespace of its own (not root); isolated tests are skipped" >&2
exec "$@"
