// Removed once the run sequence lands.
namespace sc {
void app_placeholder() {}
}  // namespace sc
