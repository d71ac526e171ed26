#!/bin/sh
# Stands in for VirtualBox's driver setup on this example disc.
echo "VirtualBox setup: would install the VirtualBox guest drivers (parameters:${*:+ $*})"
