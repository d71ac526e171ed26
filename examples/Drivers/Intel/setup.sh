#!/bin/sh
# Stands in for Intel's driver setup on this example disc.
echo "Intel setup: would install the chipset, network and graphics drivers (parameters:${*:+ $*})"
