// The registry search dialogs against the real server, driven through their modal opening.
