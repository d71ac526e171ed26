#!/bin/sh
# Stands in for Realtek's driver setup on this example disc.
echo "Realtek setup: would install the network and audio drivers (parameters:${*:+ $*})"
