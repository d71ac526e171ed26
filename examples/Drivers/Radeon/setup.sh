#!/bin/sh
# Stands in for AMD/ATI Radeon's driver setup on this example disc.
echo "AMD/ATI Radeon setup: would install the graphics drivers (parameters:${*:+ $*})"
