// Anchor of the tovra_device library; the subsystem's units sit beside it.
namespace tovra { int module_device_anchor = 0; }
