#!/bin/sh
# Stands in for AMD's driver setup on this example disc.
echo "AMD setup: would install the chipset drivers (parameters:${*:+ $*})"
