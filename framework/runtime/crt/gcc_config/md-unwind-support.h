/* No frames of the system's own to step through: an exception never
   crosses a window procedure called by the system. */
