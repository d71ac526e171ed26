#!/bin/sh
# Stands in for NVIDIA's driver setup on this example disc.
echo "NVIDIA setup: would install the graphics drivers (parameters:${*:+ $*})"
