// Tests of the driver core: clock gates, unit lists, init and de-init, port numbering and its checks.
