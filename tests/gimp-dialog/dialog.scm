; The settings dialog in the real GIMP. Each session opens the dialog with a
; RUN-INTERACTIVE call, which blocks until run_dialog_test.sh has worked the
; dialog with the keyboard and answered it; then the script checks what the
; call returned, stored and rendered. The sessions run in the order that the
; driver expects, and each session ends with no image open, so that the probe
; combo of the next one lists only that session's layers.

; The driver follows the sessions by two kinds of files: session.txt names
; the session whose call comes next, and NAME.ended says that the call of
; session NAME has returned.
(define (write-marker name text)
  (let ((port (open-output-file (path name))))
    (write-line port text)
    (close-output-port port)))

(define (announce name) (write-marker "session.txt" name))

; Opens the dialog on `layer` and returns the status of the call.
(define (run-interactive name image layer)
  (announce name)
  (let ((status (car (test-ormolo2-call-with-nparams RUN-NONINTERACTIVE RUN-INTERACTIVE 11
                                                     image layer))))
    (write-marker (string-append name ".ended") "ended")
    status))

(define (close-images)
  (for-each gimp-image-delete (vector->list (cadr (gimp-image-list)))))

(define (shape) (make-shape 64 48 RGB-IMAGE 0 0 64 48))

; Adds a probe layer below the shape: the combo lists the shape first, then
; the probe. Returns (image shape-layer probe-layer).
(define (with-probe image-and-layer)
  (let* ((image (car image-and-layer))
         (probe (car (gimp-layer-new image 33 27 RGB-IMAGE "probe" 100 LAYER-MODE-NORMAL))))
    (gimp-image-insert-layer image probe 0 1)
    (gimp-context-set-foreground '(250 40 10))
    (gimp-context-set-background '(10 60 240))
    (gimp-drawable-edit-gradient-fill probe GRADIENT-LINEAR 0 FALSE 1 0 TRUE 0 0 33 27)
    (append image-and-layer (list probe))))

(define (shape-with-probe) (with-probe (shape)))

; A white layer with a small dark hole, the whole of it in the preview:
; every pixel's bevel reaches to the hole, and with the portable lanes that
; the driver pins, each Round2 preview takes seconds. Returns (image layer).
(define (busy-shape)
  (let* ((image (car (gimp-image-new 200 200 RGB)))
         (layer (car (gimp-layer-new image 200 200 RGB-IMAGE "shape" 100 LAYER-MODE-NORMAL))))
    (gimp-image-insert-layer image layer 0 0)
    (gimp-context-set-foreground '(255 255 255))
    (gimp-drawable-fill layer FILL-FOREGROUND)
    (gimp-context-set-foreground '(40 30 20))
    (gimp-image-select-rectangle image CHANNEL-OP-REPLACE 4 4 2 2)
    (gimp-drawable-edit-fill layer FILL-FOREGROUND)
    (gimp-selection-none image)
    (list image layer)))

; Settings are the eight values of the procedure's arguments 3 to 10:
; (invert slope radius depth-flat depth-round depth-round2 probe specularity).
(define (render-with image layer settings)
  (apply plug-in-ormolo2 (append (list RUN-NONINTERACTIVE image layer) settings)))

; The stored record as a list of bytes, or 'nothing.
(define (stored-record)
  (let ((result (try (lambda () (gimp-procedural-db-get-data "plug-in-ormolo2")))))
    (if (failed? result) 'nothing (vector->list (caddr result)))))

(define (name-of session part) (string-append session "-" part))

; A session that the driver cancels or closes: the call reports the
; cancellation, the layer keeps its bytes although the preview rendered
; meanwhile, and the stored record stays as it was.
(define (expect-cancelled session image-and-layer)
  (let* ((layer (cadr image-and-layer))
         (before (name-of session "before.png"))
         (after (name-of session "after.png"))
         (record (stored-record)))
    (save-png layer before)
    (let ((status (run-interactive session (car image-and-layer) layer)))
      (check (name-of session "status") (= status PDB-CANCEL) status))
    (save-png layer after)
    (expect-same (name-of session "image-unchanged") before after)
    (check (name-of session "record-unchanged") (equal? (stored-record) record) (stored-record))
    (close-images)))

; A session that the driver confirms: the call succeeds, the record holds
; `settings` and `preview`, and the layer equals a non-interactive render of
; a fresh shape with `settings`.
(define (expect-confirmed session image layer settings preview)
  (let ((status (run-interactive session image layer))
        (got (name-of session "dialog.png"))
        (expected (name-of session "noninteractive.png")))
    (check (name-of session "status") (= status PDB-SUCCESS) status)
    (check (name-of session "record") (equal? (stored-record) (settings-record settings preview))
           (stored-record))
    (save-png layer got)
    (let ((reference (shape)))
      (render-with (car reference) (cadr reference) settings)
      (save-png (cadr reference) expected))
    (expect-same (name-of session "render") got expected)
    (close-images)))

; The driver cancels after Flat, invert, the spherical map and specularity
; 0.5, then closes the window after Round, a depth and the preview switch.
(expect-cancelled "cancel" (shape))
(expect-cancelled "close" (shape))

(let ((image-and-layer (shape)))
  (expect-confirmed "defaults" (car image-and-layer) (cadr image-and-layer)
                    '(0 3 3 10 7 20 -1 1.0) 1))

; Flat, Smoothing 5, Flat depth 4.5, invert, specularity 0.5, preview off.
(let ((image-and-layer (shape)))
  (expect-confirmed "keyboard-normal" (car image-and-layer) (cadr image-and-layer)
                    '(1 1 5 4.5 7 20 -1 0.5) 0))

; From there: invert off, Round at depth 6.25, Round2 depth 19.5, the probe
; layer from the combo, specularity back to 1 (exact), preview on.
(let ((layers (shape-with-probe)))
  (expect-confirmed "keyboard-probe" (car layers) (cadr layers)
                    (list 0 2 5 4.5 6.25 19.5 (caddr layers) 1.0) 1))

; A stored record with Flat, an open RGB probe layer and the preview off
; comes back unchanged from a dialog confirmed without a change.
(let* ((layers (shape-with-probe))
       (settings (list 0 1 2 5 7 20 (caddr layers) 1.0)))
  (store-record (settings-record settings 0))
  (expect-confirmed "stored-record" (car layers) (cadr layers) settings 0))

; The final render is one undo step: after the driver's Ctrl+Z in the image
; window, the image is clean again and holds its old pixels.
(let* ((image-and-layer (shape))
       (image (car image-and-layer))
       (layer (cadr image-and-layer))
       (display (car (gimp-display-new image))))
  (gimp-image-set-filename image (path "ormolo-undo.png"))
  (gimp-image-clean-all image)
  (save-png layer "undo-before.png")
  (check "undo-status" (= (run-interactive "undo" image layer) PDB-SUCCESS) "not confirmed")
  (save-png layer "undo-rendered.png")
  (announce "undo-ctrl-z")
  (let wait ()
    (if (= (car (gimp-image-is-dirty image)) TRUE) (wait)))
  (save-png layer "undo-undone.png")
  (write-line manifest "differ undo-renders undo-before.png undo-rendered.png")
  (expect-same "undo-restores" "undo-before.png" "undo-undone.png")
  (gimp-display-delete display))

; The driver works the dialog while Round2 previews take seconds. With a
; blurred probe: Flat during the first render, which stops it; the next
; preview shows Flat, its blurred samples starting where the stopped render's
; started, as the command-line tool renders them from the stream's start.
; Then Round2 again, and Escape during its render.
(let* ((layers (with-probe (busy-shape)))
       (settings (list 0 3 3 10 7 20 (caddr layers) 0.5)))
  (store-record (settings-record settings 1))
  (save-png (caddr layers) "busy-probe.png")
  (expect-cancelled "busy" layers)
  (write-line manifest "preview busy busy-before.png " (settings-arguments '(0 1 3 10 7 20))
              " --probe busy-probe.png --specularity 0.5 --seed 0"))
; Cancel while the first preview renders.
(expect-cancelled "busy-cancel" (busy-shape))
