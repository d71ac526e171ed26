#!/bin/sh
# Stands in for QEMU's driver setup on this example disc.
echo "QEMU setup: would install the QEMU standard VGA driver (parameters:${*:+ $*})"
